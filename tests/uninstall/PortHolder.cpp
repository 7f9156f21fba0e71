// A stand-in for a running client: holds the single-instance port and owns one top-level window
// of a given title, and appends every message that reaches that window to a record file as
// "message wParam lParam". A close message (WM_CLOSE) ends it, as it ends the client.
//
//   port_holder PORT_NAME WINDOW_TITLE RECORD_FILE
//
// With a display the window is a real one, found by the port through the window list; without,
// the port is told the title directly. Exit codes: 0 closed, 2 bad arguments, 3 port already held,
// 4 the window could not be made on the display.

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "platform/InstancePort.h"
#include "platform/MessageLoop.h"
#include "platform/MessageQueue.h"
#include "platform/Window.h"

namespace {

class RecordingWindow : public platform::MessageTarget, public platform::WindowClient {
public:
    explicit RecordingWindow(std::string recordFile) : m_recordFile(std::move(recordFile)) {}

    bool closed { false };

protected:
    // Overridden from MessageTarget:
    void OnMessage(platform::Message& message) override {
        std::ofstream(m_recordFile, std::ios::app)
            << message.id << ' ' << message.wParam << ' ' << message.lParam << '\n';
        if (message.id == platform::WM_CLOSE) closed = true;
    }
    // Overridden from WindowClient:
    void OnClose() override { closed = true; }

private:
    std::string m_recordFile;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const std::string name = argv[1];
    const std::string title = argv[2];

    platform::MessageQueue::Instance().BindToCurrentThread();
    RecordingWindow recorder(argv[3]);

    std::unique_ptr<platform::Window> window;
    const char* display = std::getenv("DISPLAY");
    if (display && *display && platform::Window::OpenDisplay()) {
        platform::WindowCreateParams params;
        params.rect = { 0, 0, 120, 80 };
        params.title = title;
        params.style = platform::WS_POPUP;  // hidden: the port finds hidden windows too
        params.messageTarget = recorder.Id();
        if (!platform::Window::Create(recorder, params, window)) return 4;
    }

    platform::InstancePort port;
    platform::InstancePort::WindowLookup lookup;
    if (!window) {
        lookup = [&](const std::string& wanted) { return wanted == title ? recorder.Id() : platform::TargetId(0); };
    }
    if (!port.Hold(name, lookup)) return 3;

    // Runs until closed; the tests stop it otherwise.
    platform::MessageQueue::Instance().PumpUntil(
        [&] {
            platform::PumpPendingMessages();
            return recorder.closed;
        },
        std::chrono::minutes(10));
    return 0;
}
