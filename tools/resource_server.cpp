// Runs the client's local resource server over a program directory:
//
//   resource_server PROGRAM_DIR
//
// Serves PROGRAM_DIR/update/ (made when missing) on a port that the system chooses, prints that
// port on one line, and serves until standard input closes or SIGINT/SIGTERM arrives; then stops
// the server and exits 0. Exits 1 when the server cannot start, 2 on wrong arguments.
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/ConsoleWait.h"
#include "platform/ExecutablePath.h"
#include "server/ResourceServer.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: resource_server PROGRAM_DIR\n");
        return 2;
    }
    std::error_code error;
    std::filesystem::path program = std::filesystem::absolute(argv[1], error);
    if (error || !std::filesystem::is_directory(program)) {
        std::fprintf(stderr, "resource_server: %s is no directory\n", argv[1]);
        return 2;
    }
    platform::OverrideExecutablePath((program / "Tlvc").string());

    ResourceServer server([] { std::fprintf(stderr, "resource_server: asked to close\n"); });
    if (!server.StartResourceServer()) {
        std::fprintf(stderr, "resource_server: cannot start the server\n");
        return 1;
    }
    std::printf("%u\n", static_cast<unsigned>(server.port));
    std::fflush(stdout);

    platform::WaitForStdinCloseOrSignal();
    server.StopResourceServer();
    return 0;
}
