#include "platform/InstancePort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <mutex>
#include <thread>

#include "platform/Window.h"

namespace platform {
namespace {

// One request: this header, then `titleLength` bytes of title. The answer is one byte.
struct RequestHeader {
    std::uint32_t magic;
    std::uint32_t titleLength;
    std::uint32_t message;
    std::uint32_t reserved;
    std::uint64_t wParam;
    std::int64_t lParam;
};
constexpr std::uint32_t REQUEST_MAGIC = 0x504C5654;  // "TVLP"
constexpr std::uint32_t MAX_TITLE_LENGTH = 4096;
constexpr std::uint8_t ANSWER_NO_WINDOW = 0;
constexpr std::uint8_t ANSWER_POSTED = 1;

// A connection that sends nothing for this long is closed, and a holder whose user-interface
// thread does not answer within this time lets the asker go without an answer.
constexpr int IDLE_CONNECTION_MS = 30000;
constexpr int HOLDER_ANSWER_MS = 10000;

std::uint64_t Fnv1a(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string Hex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

// The abstract socket address of a port: the user, the session (runtime directory) and the name.
// Abstract names vanish with the last socket bound to them, so a dead holder leaves nothing.
bool PortAddress(const std::string& name, sockaddr_un& address, socklen_t& length) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string text = "tlv-port." + std::to_string(getuid()) + "." + Hex(Fnv1a(runtime ? runtime : "")) + ".";
    // A name too long for the address is replaced by its hash.
    if (text.size() + name.size() + 1 > sizeof address.sun_path) {
        text += "#" + Hex(Fnv1a(name));
    } else {
        text += name;
    }
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, text.data(), text.size());
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + text.size());
    return true;
}

// Anyone on the machine may bind or reach an abstract name; only the user's own processes count.
bool PeerIsSameUser(int socket) {
    ucred credentials {};
    socklen_t size = sizeof credentials;
    if (getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return false;
    return credentials.uid == getuid();
}

// Waits until `socket` can be read; false on time-out or when `socket` hung up with nothing left.
bool WaitReadable(int socket, int timeoutMs) {
    pollfd entry { socket, POLLIN, 0 };
    for (;;) {
        int ready = poll(&entry, 1, timeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        return ready > 0 && (entry.revents & (POLLIN | POLLHUP | POLLERR));
    }
}

// Reads exactly `size` bytes, each part within `timeoutMs`.
bool ReadExactly(int socket, void* data, std::size_t size, int timeoutMs) {
    auto* bytes = static_cast<unsigned char*>(data);
    while (size > 0) {
        if (!WaitReadable(socket, timeoutMs)) return false;
        ssize_t got = recv(socket, bytes, size, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        bytes += got;
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

bool WriteAll(int socket, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        ssize_t sent = send(socket, bytes, size, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        bytes += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

// The answer to one request. The user-interface thread writes it to the asker itself, right
// after posting: a close message it posts may end the process before the connection's thread
// runs again, and the asker must still learn that the message was posted.
struct Answer {
    std::mutex mutex;
    std::condition_variable given;
    int socket { -1 };
    bool done { false };       // answered, or the answer could not be written
    bool written { false };    // the answer byte is on its way to the asker
    bool abandoned { false };  // the connection stopped waiting; its socket may be closed any time
};

struct PortRequest : MessagePayload {
    std::string title;
    std::uint32_t message { 0 };
    std::uintptr_t wParam { 0 };
    std::intptr_t lParam { 0 };
    std::shared_ptr<Answer> answer;
};

constexpr std::uint32_t MSG_PORT_REQUEST = 1;

}  // namespace

// The user-interface thread's side of the holder: looks the window up and posts to it.
class PortResponder : public MessageTarget {
public:
    explicit PortResponder(InstancePort::WindowLookup lookup) : m_lookup(std::move(lookup)) {}

protected:
    // Overridden from MessageTarget:
    void OnMessage(Message& message) override {
        if (message.id != MSG_PORT_REQUEST || !message.payload) return;
        auto* request = static_cast<PortRequest*>(message.payload.get());
        TargetId window = m_lookup(request->title);
        bool posted = window != 0 &&
                      MessageQueue::Instance().Post(window, request->message, request->wParam, request->lParam);
        Answer& answer = *request->answer;
        std::lock_guard lock(answer.mutex);
        if (answer.abandoned) return;
        // One byte to a local socket whose asker waits for it: it fits in the buffer at once.
        const std::uint8_t byte = posted ? ANSWER_POSTED : ANSWER_NO_WINDOW;
        ssize_t sent;
        do {
            sent = send(answer.socket, &byte, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        } while (sent < 0 && errno == EINTR);
        answer.written = sent == 1;
        answer.done = true;
        answer.given.notify_all();
    }

private:
    InstancePort::WindowLookup m_lookup;
};

struct InstancePort::State {
    int listenSocket { -1 };
    int wakeRead { -1 };
    int wakeWrite { -1 };
    std::atomic<bool> stopping { false };
    TargetId responder { 0 };
    std::thread acceptThread;

    struct Connection {
        int socket;
        std::thread thread;
        std::atomic<bool> finished { false };
    };
    std::mutex connectionsMutex;
    std::list<Connection> connections;

    void AcceptLoop();
    void Serve(Connection& connection);
    void ReapFinished();
};

void InstancePort::State::AcceptLoop() {
    for (;;) {
        pollfd entries[2] = { { listenSocket, POLLIN, 0 }, { wakeRead, POLLIN, 0 } };
        int ready = poll(entries, 2, -1);
        if (stopping.load()) return;
        if (ready < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (!(entries[0].revents & POLLIN)) continue;
        int socket = accept4(listenSocket, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0) continue;
        if (!PeerIsSameUser(socket)) {
            close(socket);
            continue;
        }
        ReapFinished();
        std::lock_guard lock(connectionsMutex);
        if (stopping.load()) {
            close(socket);
            return;
        }
        Connection& connection = connections.emplace_back();
        connection.socket = socket;
        try {
            connection.thread = std::thread([this, &connection] { Serve(connection); });
        } catch (const std::system_error&) {
            close(socket);
            connections.pop_back();
        }
    }
}

void InstancePort::State::ReapFinished() {
    std::lock_guard lock(connectionsMutex);
    for (auto it = connections.begin(); it != connections.end();) {
        if (!it->finished.load()) {
            ++it;
            continue;
        }
        it->thread.join();
        close(it->socket);
        it = connections.erase(it);
    }
}

void InstancePort::State::Serve(Connection& connection) {
    const int socket = connection.socket;
    while (!stopping.load()) {
        RequestHeader header {};
        if (!ReadExactly(socket, &header, sizeof header, IDLE_CONNECTION_MS)) break;
        if (header.magic != REQUEST_MAGIC || header.titleLength > MAX_TITLE_LENGTH) break;
        auto request = std::make_unique<PortRequest>();
        request->title.resize(header.titleLength);
        if (header.titleLength > 0 && !ReadExactly(socket, request->title.data(), header.titleLength, IDLE_CONNECTION_MS))
            break;
        request->message = header.message;
        request->wParam = static_cast<std::uintptr_t>(header.wParam);
        request->lParam = static_cast<std::intptr_t>(header.lParam);
        auto answer = std::make_shared<Answer>();
        answer->socket = socket;
        request->answer = answer;

        // The queue owns the request until the responder has answered it.
        if (!MessageQueue::Instance().Post(responder, MSG_PORT_REQUEST, 0, 0, std::move(request))) break;
        bool written = false;
        {
            std::unique_lock lock(answer->mutex);
            auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(HOLDER_ANSWER_MS);
            // Released ports stop waiting within a slice.
            while (!answer->done && !stopping.load() && std::chrono::steady_clock::now() < deadline)
                answer->given.wait_for(lock, std::chrono::milliseconds(50));
            written = answer->written;
            // From here the socket may be closed, and its number reused: a late answer is dropped.
            if (!answer->done) answer->abandoned = true;
        }
        if (!written) break;
    }
    shutdown(socket, SHUT_RDWR);
    connection.finished.store(true);
}

InstancePort::InstancePort() = default;

InstancePort::~InstancePort() { Release(); }

bool InstancePort::Hold(const std::string& name, WindowLookup lookup) {
    if (IsHeld()) return false;
    sockaddr_un address {};
    socklen_t length = 0;
    if (!PortAddress(name, address, length)) return false;

    int listenSocket = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenSocket < 0) return false;
    if (bind(listenSocket, reinterpret_cast<const sockaddr*>(&address), length) != 0 || listen(listenSocket, 16) != 0) {
        close(listenSocket);
        return false;
    }
    int wake[2];
    if (pipe2(wake, O_CLOEXEC) != 0) {
        close(listenSocket);
        return false;
    }

    auto state = std::make_shared<State>();
    state->listenSocket = listenSocket;
    state->wakeRead = wake[0];
    state->wakeWrite = wake[1];
    m_responder = std::make_unique<PortResponder>(lookup ? std::move(lookup) : WindowLookup(&Window::FindTopLevel));
    state->responder = m_responder->Id();
    try {
        state->acceptThread = std::thread([raw = state.get()] { raw->AcceptLoop(); });
    } catch (const std::system_error&) {
        close(listenSocket);
        close(wake[0]);
        close(wake[1]);
        m_responder.reset();
        return false;
    }
    m_state = std::move(state);
    return true;
}

bool InstancePort::IsHeld() const { return m_state != nullptr; }

void InstancePort::Release() {
    if (!m_state) return;
    State& state = *m_state;
    state.stopping.store(true);
    char byte = 0;
    while (write(state.wakeWrite, &byte, 1) < 0 && errno == EINTR) {
    }
    state.acceptThread.join();
    // The port is free from here on: a new holder may bind the name at once.
    close(state.listenSocket);
    {
        std::lock_guard lock(state.connectionsMutex);
        for (auto& connection : state.connections) shutdown(connection.socket, SHUT_RDWR);
    }
    for (auto& connection : state.connections) {
        connection.thread.join();
        close(connection.socket);
    }
    close(state.wakeRead);
    close(state.wakeWrite);
    m_state.reset();
    // Requests still queued for the responder are dropped with it.
    m_responder.reset();
}

InstancePortClient::~InstancePortClient() { Disconnect(); }

bool InstancePortClient::Connect(const std::string& name) {
    Disconnect();
    sockaddr_un address {};
    socklen_t length = 0;
    if (!PortAddress(name, address, length)) return false;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    int result;
    do {
        result = connect(fd, reinterpret_cast<const sockaddr*>(&address), length);
    } while (result != 0 && errno == EINTR);
    if (result != 0 || !PeerIsSameUser(fd)) {
        close(fd);
        return false;
    }
    m_socket = fd;
    return true;
}

void InstancePortClient::Disconnect() {
    if (m_socket < 0) return;
    close(m_socket);
    m_socket = -1;
}

PortPostResult InstancePortClient::PostToWindow(const std::string& title, std::uint32_t message,
                                                std::uintptr_t wParam, std::intptr_t lParam,
                                                std::uint32_t timeoutMs) {
    if (m_socket < 0) return PortPostResult::NoAnswer;
    if (title.size() > MAX_TITLE_LENGTH) return PortPostResult::NoWindow;
    RequestHeader header {};
    header.magic = REQUEST_MAGIC;
    header.titleLength = static_cast<std::uint32_t>(title.size());
    header.message = message;
    header.wParam = static_cast<std::uint64_t>(wParam);
    header.lParam = static_cast<std::int64_t>(lParam);
    std::string frame(reinterpret_cast<const char*>(&header), sizeof header);
    frame += title;
    std::uint8_t answer = 0;
    const int timeout = timeoutMs > 0x7FFFFFFFu ? -1 : static_cast<int>(timeoutMs);
    if (!WriteAll(m_socket, frame.data(), frame.size()) || !ReadExactly(m_socket, &answer, 1, timeout)) {
        // A late answer must not be taken for the next request's.
        Disconnect();
        return PortPostResult::NoAnswer;
    }
    return answer == ANSWER_POSTED ? PortPostResult::Posted : PortPostResult::NoWindow;
}

}  // namespace platform
