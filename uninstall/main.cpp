#include "uninstall/CUnInstallApp.h"

int main(int argc, char** argv) {
    CUnInstallApp app;
    return app.Run(argc, argv);
}
