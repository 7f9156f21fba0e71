#include "platform/HttpFileServer.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <netinet/in.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <string_view>
#include <unordered_set>

#define H2O_USE_LIBUV 0
#include <h2o.h>

namespace platform {
namespace {

// Request bodies are never used; a larger one is refused before it is buffered.
constexpr std::size_t MAX_REQUEST_BODY = 1024;
// Sockets accepted per readiness of the listener before other work gets a turn. One at a time
// interleaves new connections with the requests already read, which keeps the slowest answers
// quicker when every request comes on a new connection (the listener stays ready meanwhile).
constexpr int MAX_ACCEPTS_PER_ROUND = 1;
// How long CloseConnections lets the aborted connections wind down.
constexpr auto CLOSE_GRACE = std::chrono::milliseconds(1000);
// A large file goes out in pieces of this size.
constexpr std::size_t READ_PIECE = 256 * 1024;

std::atomic<bool> failBindForTesting { false };

// A write to a connection whose peer has gone raises SIGPIPE, which would end the process; the
// polling thread keeps it blocked and gets EPIPE instead.
void BlockBrokenPipeSignal() {
    thread_local bool blocked = false;
    if (blocked) return;
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    blocked = true;
}

// Only a path of plain names can name a stored file: no empty name (a doubled or trailing "/"),
// no "." or "..", no backslash and no NUL (both can only come from percent-decoding).
bool IsPlainFilePath(std::string_view path) {
    if (path.size() < 2 || path[0] != '/') return false;
    std::size_t start = 1;
    while (true) {
        std::size_t end = path.find('/', start);
        std::string_view name = path.substr(start, end == std::string_view::npos ? end : end - start);
        if (name.empty() || name == "." || name == "..") return false;
        if (name.find('\\') != std::string_view::npos || name.find('\0') != std::string_view::npos)
            return false;
        if (end == std::string_view::npos) return true;
        start = end + 1;
    }
}

// Kernels before 5.6 have no openat2; the path is then resolved in user space first.
int OpenBeneathByRealPath(const std::string& root, const char* relative) {
    char realRoot[PATH_MAX];
    char realFile[PATH_MAX];
    if (!realpath(root.c_str(), realRoot) || !realpath((root + "/" + relative).c_str(), realFile)) return -1;
    std::string_view rootView(realRoot);
    std::string_view fileView(realFile);
    bool inside = fileView.size() > rootView.size() + 1 && fileView.substr(0, rootView.size()) == rootView &&
                  (rootView == "/" || fileView[rootView.size()] == '/');
    if (!inside) {
        errno = ENOENT;
        return -1;
    }
    return open(realFile, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

// Opens `relative` below the directory `rootFd` names (`root`), following symbolic links only as
// long as they stay inside it, and only when it is a regular file: a link planted in the cache
// never reaches a file elsewhere, and a FIFO or device never stalls the loop. -1 with errno set
// otherwise (ENOENT for anything that is no regular file inside).
int OpenCachedFile(int rootFd, const std::string& root, const char* relative, struct stat* status) {
    static std::atomic<bool> haveOpenat2 { true };
    int fd = -1;
    if (haveOpenat2.load(std::memory_order_relaxed)) {
        struct open_how how = {};
        how.flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
        how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
        fd = static_cast<int>(syscall(SYS_openat2, rootFd, relative, &how, sizeof how));
        if (fd < 0 && errno == ENOSYS) haveOpenat2.store(false, std::memory_order_relaxed);
    }
    if (!haveOpenat2.load(std::memory_order_relaxed)) fd = OpenBeneathByRealPath(root, relative);
    if (fd < 0) return -1;
    if (fstat(fd, status) != 0 || !S_ISREG(status->st_mode)) {
        close(fd);
        errno = ENOENT;
        return -1;
    }
    return fd;
}

struct Connection {
    HttpFileServer::State* state;
    h2o_socket_t* socket;
};

// Serves the cache's files. Requests with a Range or a condition go on to the library's file
// handler (registered after this one) once this one has found the file inside the cache.
struct CacheHandler {
    h2o_handler_t super;
    HttpFileServer::State* state;
};

// Streams one opened file; lives in the request's memory pool.
struct FileSender {
    h2o_generator_t super;
    int fd;
    off_t offset;
    std::size_t left;
    char* buffer;
    std::size_t bufferSize;
};

}  // namespace

struct HttpFileServer::State {
    h2o_globalconf_t config {};
    h2o_context_t context {};
    h2o_accept_ctx_t acceptContext {};
    h2o_pathconf_t* pathconf { nullptr };
    h2o_evloop_t* loop { nullptr };
    bool configured { false };
    bool contextReady { false };
    bool serving { false };

    int listenFd { -1 };
    h2o_socket_t* listener { nullptr };
    int wakeFd { -1 };
    h2o_socket_t* wakeSocket { nullptr };
    std::uint16_t port { 0 };
    std::string documentRoot;  // without a trailing "/"
    int rootFd { -1 };
    h2o_mimemap_t* types { nullptr };

    std::unordered_set<Connection*> connections;
};

namespace {

void OnConnectionClosed(void* data) {
    auto* connection = static_cast<Connection*>(data);
    connection->state->connections.erase(connection);
    delete connection;
}

void OnAccept(h2o_socket_t* listener, const char* error) {
    if (error) return;
    auto* state = static_cast<HttpFileServer::State*>(listener->data);
    for (int i = 0; i < MAX_ACCEPTS_PER_ROUND; ++i) {
        h2o_socket_t* socket = h2o_evloop_socket_accept(listener);
        if (!socket) break;
        auto* connection = new Connection { state, socket };
        state->connections.insert(connection);
        socket->on_close.cb = OnConnectionClosed;
        socket->on_close.data = connection;
        h2o_accept(&state->acceptContext, socket);
    }
}

void OnWake(h2o_socket_t* socket, const char* error) {
    std::uint64_t count;
    while (read(h2o_socket_get_fd(socket), &count, sizeof count) > 0) {
    }
}

void CloseFile(FileSender* sender) {
    if (sender->fd >= 0) close(sender->fd);
    sender->fd = -1;
}

// Reads the next piece and hands it on; the last piece closes the file first, because the
// request (and the sender with it) may be gone once the last piece is handed on.
void SendNextPiece(FileSender* sender, h2o_req_t* request) {
    std::size_t want = std::min(sender->left, sender->bufferSize);
    ssize_t got;
    do {
        got = pread(sender->fd, sender->buffer, want, sender->offset);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
        // The file shrank under us or cannot be read: the length promised cannot be kept, so the
        // response ends in an error and takes the connection with it.
        CloseFile(sender);
        h2o_send(request, nullptr, 0, H2O_SEND_STATE_ERROR);
        return;
    }
    sender->offset += got;
    sender->left -= static_cast<std::size_t>(got);
    bool last = sender->left == 0;
    if (last) CloseFile(sender);
    h2o_iovec_t piece = h2o_iovec_init(sender->buffer, static_cast<std::size_t>(got));
    h2o_send(request, &piece, 1, last ? H2O_SEND_STATE_FINAL : H2O_SEND_STATE_IN_PROGRESS);
}

void OnProceed(h2o_generator_t* generator, h2o_req_t* request) {
    SendNextPiece(reinterpret_cast<FileSender*>(generator), request);
}

void OnStop(h2o_generator_t* generator, h2o_req_t*) {
    CloseFile(reinterpret_cast<FileSender*>(generator));
}

bool HasHeader(h2o_req_t* request, const h2o_token_t* token) {
    return h2o_find_header(&request->headers, token, -1) != -1;
}

void AddHeader(h2o_req_t* request, const h2o_token_t* token, const char* value, std::size_t length) {
    h2o_add_header(&request->pool, &request->res.headers, token, nullptr, value, length);
}

// 200 with the whole file, as the library's file handler would answer; takes over `fd`.
void SendWholeFile(HttpFileServer::State& s, h2o_req_t* request, int fd, const struct stat& status,
                   bool withBody) {
    h2o_iovec_t path = request->path_normalized;
    h2o_mimemap_type_t* type =
        h2o_mimemap_get_type_by_extension(s.types, h2o_get_filext(path.base, path.len));
    request->res.status = 200;
    request->res.reason = "OK";
    request->res.content_length = static_cast<std::size_t>(status.st_size);
    request->res.mime_attr = &type->data.attr;
    AddHeader(request, H2O_TOKEN_CONTENT_TYPE, type->data.mimetype.base, type->data.mimetype.len);

    struct tm modified;
    gmtime_r(&status.st_mtime, &modified);
    char* lastModified = static_cast<char*>(h2o_mem_alloc_pool(&request->pool, H2O_TIMESTR_RFC1123_LEN + 1));
    h2o_time2str_rfc1123(lastModified, &modified);
    AddHeader(request, H2O_TOKEN_LAST_MODIFIED, lastModified, H2O_TIMESTR_RFC1123_LEN);
    // The library's tag for the same file, so that a later conditional request matches.
    char* tag = static_cast<char*>(h2o_mem_alloc_pool(&request->pool, H2O_FILECACHE_ETAG_MAXLEN + 1));
    int tagLength =
        snprintf(tag, H2O_FILECACHE_ETAG_MAXLEN + 1, "\"%08x-%zx\"", static_cast<unsigned>(status.st_mtime),
                 static_cast<std::size_t>(status.st_size));
    AddHeader(request, H2O_TOKEN_ETAG, tag, static_cast<std::size_t>(tagLength));
    AddHeader(request, H2O_TOKEN_ACCEPT_RANGES, H2O_STRLIT("bytes"));

    if (!withBody || status.st_size == 0) {
        close(fd);
        static h2o_generator_t nothing = {nullptr, nullptr};
        h2o_start_response(request, &nothing);
        h2o_send(request, nullptr, 0, H2O_SEND_STATE_FINAL);
        return;
    }
    auto* sender = static_cast<FileSender*>(h2o_mem_alloc_pool(&request->pool, sizeof(FileSender)));
    sender->super = {OnProceed, OnStop};
    sender->fd = fd;
    sender->offset = 0;
    sender->left = static_cast<std::size_t>(status.st_size);
    sender->bufferSize = std::min(sender->left, READ_PIECE);
    sender->buffer = static_cast<char*>(h2o_mem_alloc_pool(&request->pool, sender->bufferSize));
    h2o_start_response(request, &sender->super);
    SendNextPiece(sender, request);
}

int OnCacheRequest(h2o_handler_t* self, h2o_req_t* request) {
    HttpFileServer::State& s = *reinterpret_cast<CacheHandler*>(self)->state;
    std::string_view path(request->path_normalized.base, request->path_normalized.len);
    if (!IsPlainFilePath(path)) {
        h2o_send_error_404(request, "Not Found", "not found", 0);
        return 0;
    }
    if (s.rootFd < 0) s.rootFd = open(s.documentRoot.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    h2o_iovec_t relative = h2o_strdup(&request->pool, path.data() + 1, path.size() - 1);
    struct stat status;
    int fd = s.rootFd < 0 ? -1 : OpenCachedFile(s.rootFd, s.documentRoot, relative.base, &status);
    if (fd < 0) {
        if (errno == EMFILE || errno == ENFILE)
            h2o_send_error_503(request, "Service Unavailable", "please try again later", 0);
        else
            h2o_send_error_404(request, "Not Found", "not found", 0);
        return 0;
    }

    bool get = h2o_memis(request->method.base, request->method.len, H2O_STRLIT("GET"));
    bool head = !get && h2o_memis(request->method.base, request->method.len, H2O_STRLIT("HEAD"));
    if (!get && !head) {
        close(fd);
        AddHeader(request, H2O_TOKEN_ALLOW, H2O_STRLIT("GET, HEAD"));
        h2o_send_error_405(request, "Method Not Allowed", "method not allowed", H2O_SEND_ERROR_KEEP_HEADERS);
        return 0;
    }
    if (HasHeader(request, H2O_TOKEN_RANGE) || HasHeader(request, H2O_TOKEN_IF_NONE_MATCH) ||
        HasHeader(request, H2O_TOKEN_IF_MODIFIED_SINCE)) {
        close(fd);
        return -1;
    }
    SendWholeFile(s, request, fd, status, get);
    return 0;
}

}  // namespace

HttpFileServer::HttpFileServer() : m_state(std::make_unique<State>()) {}

HttpFileServer::~HttpFileServer() {
    Shutdown();
}

void HttpFileServer::SetBindFailureForTesting(bool fail) {
    failBindForTesting = fail;
}

bool HttpFileServer::Initialize() {
    State& s = *m_state;
    if (s.contextReady) return true;

    h2o_config_init(&s.config);
    s.configured = true;
    // Plain HTTP/1.1 only, no open-file cache (a replaced file must be seen by the next request),
    // and no product banner.
    s.config.http1.upgrade_to_http2 = 0;
    s.config.filecache.capacity = 0;
    s.config.max_request_entity_size = MAX_REQUEST_BODY;
    s.config.server_name = h2o_iovec_init(H2O_STRLIT("Tlvc"));
    h2o_hostconf_t* host = h2o_config_register_host(&s.config, h2o_iovec_init(H2O_STRLIT("default")), 65535);
    // The handlers come with Serve; the path is registered now because the context records its
    // paths when it is made.
    s.pathconf = h2o_config_register_path(host, "/", 0);

    s.loop = h2o_evloop_create();
    h2o_context_init(&s.context, s.loop, &s.config);
    s.contextReady = true;
    s.acceptContext.ctx = &s.context;
    s.acceptContext.hosts = s.config.hosts;
    return true;
}

bool HttpFileServer::Listen() {
    State& s = *m_state;
    if (s.listenFd >= 0) return true;
    if (failBindForTesting) return false;

    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, SOMAXCONN) != 0) {
        close(fd);
        return false;
    }
    s.listenFd = fd;
    return true;
}

bool HttpFileServer::Serve(const std::string& documentRoot, const ContentTypes& contentTypes) {
    State& s = *m_state;
    if (s.serving) return true;
    if (!s.contextReady || s.listenFd < 0) return false;

    s.documentRoot = documentRoot;
    while (s.documentRoot.size() > 1 && s.documentRoot.back() == '/') s.documentRoot.pop_back();

    s.rootFd = open(s.documentRoot.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    s.types = h2o_mimemap_create();
    for (const auto& [extension, type] : contentTypes)
        h2o_mimemap_define_mimetype(s.types, extension.c_str(), type.c_str(), nullptr);

    auto* handler = reinterpret_cast<CacheHandler*>(h2o_create_handler(s.pathconf, sizeof(CacheHandler)));
    handler->super.on_req = OnCacheRequest;
    handler->state = &s;
    // A directory is never answered with an index file or a listing.
    static const char* noIndexFiles[] = {nullptr};
    h2o_file_register(s.pathconf, s.documentRoot.c_str(), noIndexFiles, s.types, 0);

    s.wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (s.wakeFd >= 0) {
        s.wakeSocket = h2o_evloop_socket_create(s.loop, s.wakeFd, H2O_SOCKET_FLAG_DONT_READ);
        s.wakeSocket->data = &s;
        h2o_socket_read_start(s.wakeSocket, OnWake);
    }

    s.listener = h2o_evloop_socket_create(s.loop, s.listenFd, H2O_SOCKET_FLAG_DONT_READ);
    s.listener->data = &s;
    h2o_socket_read_start(s.listener, OnAccept);

    sockaddr_in bound {};
    socklen_t length = sizeof bound;
    if (getsockname(s.listenFd, reinterpret_cast<sockaddr*>(&bound), &length) == 0)
        s.port = ntohs(bound.sin_port);
    s.serving = true;
    return true;
}

bool HttpFileServer::IsListening() const {
    return m_state->listenFd >= 0;
}

std::uint16_t HttpFileServer::Port() const {
    return m_state->port;
}

void HttpFileServer::Poll(int timeoutMs) {
    if (!m_state->loop) return;
    BlockBrokenPipeSignal();
    h2o_evloop_run(m_state->loop, timeoutMs);
}

void HttpFileServer::Wake() {
    if (m_state->wakeFd < 0) return;
    std::uint64_t one = 1;
    ssize_t ignored = write(m_state->wakeFd, &one, sizeof one);
    (void)ignored;
}

void HttpFileServer::CloseConnections() {
    State& s = *m_state;
    if (!s.loop) return;
    BlockBrokenPipeSignal();
    if (s.listener) h2o_socket_read_stop(s.listener);
    // H2O has no call to drop a connection from outside: shutting the socket down makes its
    // pending read or write fail, and the connection then closes itself on the next rounds.
    for (Connection* connection : s.connections) shutdown(h2o_socket_get_fd(connection->socket), SHUT_RDWR);
    auto deadline = std::chrono::steady_clock::now() + CLOSE_GRACE;
    while (!s.connections.empty() && std::chrono::steady_clock::now() < deadline) h2o_evloop_run(s.loop, 10);

    // The socket buffers this thread recycles would outlive it unreachable.
    h2o_mem_recycle_t& spare = h2o_socket_buffer_prototype.allocator;
    while (spare.cnt > 0) free(h2o_mem_alloc_recycle(&spare, 1));
}

void HttpFileServer::Shutdown() {
    State& s = *m_state;
    if (s.listener) {
        h2o_socket_close(s.listener);
    } else if (s.listenFd >= 0) {
        close(s.listenFd);
    }
    s.listener = nullptr;
    s.listenFd = -1;
    if (s.wakeSocket) {
        h2o_socket_close(s.wakeSocket);
    } else if (s.wakeFd >= 0) {
        close(s.wakeFd);
    }
    s.wakeSocket = nullptr;
    s.wakeFd = -1;

    if (!s.connections.empty()) {
        // A connection that would not close holds timers of the context; freeing the context
        // under it would crash. Leave the rest to the end of the process.
        (void)m_state.release();
        m_state = std::make_unique<State>();
        return;
    }
    if (s.contextReady) h2o_context_dispose(&s.context);
    if (s.loop) h2o_evloop_destroy(s.loop);
    if (s.configured) h2o_config_dispose(&s.config);
    if (s.types) h2o_mem_release_shared(s.types);
    if (s.rootFd >= 0) close(s.rootFd);
    m_state = std::make_unique<State>();
}

}  // namespace platform
