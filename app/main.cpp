#include "app/CTlvcApp.h"

int main(int argc, char** argv) {
    CTlvcApp app;
    return app.Run(argc, argv);
}
