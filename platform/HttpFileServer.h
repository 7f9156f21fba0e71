#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform {

// A static file server speaking HTTP/1.1 on a TCP port, with an event loop of its own that the
// owner drives from one thread (Poll). It serves the regular files below one directory at "/" +
// their relative path (GET and HEAD, ranges and conditional requests included); anything else is
// 404, and a symbolic link is followed only while it stays inside the directory. Each request
// opens its file once and sends what it opened, so a file renamed over the served one shows up
// whole in the next request. Setting up takes three steps so that the owner can act between them:
// Initialize (the HTTP machinery), Listen (the socket), Serve (the files).
//
// Threads: everything but Wake runs on the owner's threads one at a time; Poll and
// CloseConnections run on the polling thread, which must be the same for both.
class HttpFileServer {
public:
    // File name extension (without the dot, any case) to Content-Type.
    using ContentTypes = std::vector<std::pair<std::string, std::string>>;

    HttpFileServer();
    ~HttpFileServer();
    HttpFileServer(const HttpFileServer&) = delete;
    HttpFileServer& operator=(const HttpFileServer&) = delete;

    // Sets up the configuration, the event loop and its context. True when ready (or already).
    bool Initialize();
    // Binds a listening socket on every IPv4 interface at a port the system chooses. False when
    // the socket cannot be made or bound; the server then holds no socket.
    bool Listen();
    // Serves the files below `documentRoot` (a host path, with or without a trailing "/") on the
    // listening socket, naming their types by `contentTypes` and the built-in table.
    bool Serve(const std::string& documentRoot, const ContentTypes& contentTypes);

    bool IsListening() const;
    // The bound port in host order; 0 before Serve.
    std::uint16_t Port() const;

    // One round of the event loop: waits at most `timeoutMs` for activity, then handles it.
    void Poll(int timeoutMs);
    // May be called from any thread while the server exists: a Poll that waits returns soon.
    void Wake();
    // Stops accepting and aborts every open connection (a download in progress ends there). Runs
    // on the polling thread, which made the connections' buffers.
    void CloseConnections();
    // Closes the listening socket and frees everything. Nobody may poll any more.
    void Shutdown();

    // Tests: while set, Listen fails as if the port could not be bound.
    static void SetBindFailureForTesting(bool fail);

    // Defined by the implementation only.
    struct State;

private:
    std::unique_ptr<State> m_state;
};

}  // namespace platform
