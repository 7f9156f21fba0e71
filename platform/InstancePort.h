#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/MessageQueue.h"

namespace platform {

class PortResponder;

// The single-instance port: a per-user, per-session local socket named after a text (the
// client's is "Tlvc - HostWnd"). It stands for the original named mutex and for posting to
// another process's window by title:
// - the process that holds the port is the running instance; the port goes when that process
//   ends, however it ends, so a crashed instance leaves no stale lock;
// - another process "opens the mutex" by connecting, and asks the holder to post a message to
//   its top-level window of a given title; the holder answers whether such a window exists.
// Only processes of the same user reach each other. A session is told apart by XDG_RUNTIME_DIR,
// so programs started with another runtime directory (tests) never meet the user's own client.

// The holder's side. Created, used and destroyed on the user-interface thread: the requests are
// answered there, in the queue's order with the other posted messages.
class InstancePort {
public:
    // Finds the message target of the holder's top-level window titled `title`; 0 when none.
    using WindowLookup = std::function<TargetId(const std::string& title)>;

    InstancePort();
    // Releases the port.
    ~InstancePort();
    InstancePort(const InstancePort&) = delete;
    InstancePort& operator=(const InstancePort&) = delete;

    // Takes the port named `name`. False when another process of this user and session holds it
    // (or it cannot be made). `lookup` defaults to Window::FindTopLevel.
    bool Hold(const std::string& name, WindowLookup lookup = {});
    bool IsHeld() const;
    // Gives the port up; a connection being answered is dropped. Idempotent.
    void Release();

private:
    struct State;
    std::shared_ptr<State> m_state;             // the socket and its threads
    std::unique_ptr<PortResponder> m_responder;  // answers on the user-interface thread
};

// What became of a post through the port.
enum class PortPostResult {
    Posted,      // the holder has a window of that title and the message was posted to it
    NoWindow,    // the holder answered that it has no window of that title
    NoAnswer,    // the holder did not answer in time (the message may still arrive) or is gone
};

// The other side: a connection to the holder of a port.
class InstancePortClient {
public:
    InstancePortClient() = default;
    ~InstancePortClient();
    InstancePortClient(const InstancePortClient&) = delete;
    InstancePortClient& operator=(const InstancePortClient&) = delete;

    // Connects to the port named `name`: "opens the mutex". False when nobody holds it.
    bool Connect(const std::string& name);
    bool IsConnected() const { return m_socket >= 0; }
    void Disconnect();

    // Asks the holder to post `message` with `wParam` and `lParam` (passed as given; a handle of
    // this process means nothing to the holder) to its top-level window titled `title`, shown or
    // hidden, and waits up to `timeoutMs` for the answer. Several posts may use one connection;
    // after NoAnswer the connection is closed. Never call it on the holder's own user-interface
    // thread: the answer is made there.
    PortPostResult PostToWindow(const std::string& title, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam, std::uint32_t timeoutMs = 5000);

private:
    int m_socket { -1 };
};

}  // namespace platform
