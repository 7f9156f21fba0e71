#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/ManualResetEvent.h"

namespace platform {
class HttpFileServer;
}

// The local HTTP server from which the game page loads every movie and picture: it serves the
// resource cache (update/ below the program directory) at "/" + each file's path there. The
// launcher owns one and starts it once; it runs until StopResourceServer or the owner's end.
class ResourceServer {
public:
    // Asks the owner to close; called when the server cannot start.
    using CloseRequest = std::function<void()>;

    explicit ResourceServer(CloseRequest requestClose = {});
    ~ResourceServer();
    ResourceServer(const ResourceServer&) = delete;
    ResourceServer& operator=(const ResourceServer&) = delete;

    // Binds a port that the system chooses on every IPv4 interface and starts serving; true when
    // the server runs. Once started, a further call changes nothing and answers true. When the
    // port cannot be bound, appends "mg bind error" to log.txt, asks the owner to close and
    // answers false.
    bool StartResourceServer();
    // Ends the poll thread (within about a second) and frees the server, aborting downloads in
    // progress. Does nothing when the server is not running.
    void StopResourceServer();

    // The bound port (host order); 0 while the server does not run.
    std::uint16_t port { 0 };
    // Host path of the cache directory being served (UTF-8, ends with "/").
    std::string documentRoot;

private:
    void PollUntilStopped();

    CloseRequest m_requestClose;
    std::unique_ptr<platform::HttpFileServer> m_manager;
    std::thread m_pollThread;
    platform::ManualResetEvent m_stopEvent { false };
};
