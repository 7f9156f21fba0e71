#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <thread>

#include "platform/InstancePort.h"
#include "platform/MessageQueue.h"
#include "platform/Process.h"
#include "platform/Window.h"
#include "tests/support/TempDir.h"
#include "tests/uninstall/ScopedVariable.h"

using namespace std::chrono_literals;
using platform::InstancePort;
using platform::InstancePortClient;
using platform::PortPostResult;
using uninstalltest::ScopedVariable;

namespace {

constexpr const char* CLIENT_TITLE = "Talvane微端";
constexpr std::uint32_t WM_RELAY = 5054;

// Port names of this test run only, so that no other run (or a real client) is ever reached.
std::string PortName(const std::string& what) {
    return "Tlvc - HostWnd test " + what + " " + std::to_string(platform::CurrentProcessId());
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
    return platform::MessageQueue::Instance().PumpUntil(done, timeout);
}

// The helper process that holds a port (tests/uninstall/PortHolder.cpp).
class PortHolder {
public:
    PortHolder(const test::TempDir& dir, const std::string& name, platform::EnvironmentVariables environment = {})
        : m_record(dir / ("record-" + std::to_string(++s_count) + ".txt")) {
        m_pid = platform::StartProcess(TLV_PORT_HOLDER, { name, CLIENT_TITLE, m_record.string() }, environment);
    }
    ~PortHolder() {
        if (m_pid > 0 && !m_exited) platform::StopProcess(m_pid, 2000);
    }
    PortHolder(const PortHolder&) = delete;
    PortHolder& operator=(const PortHolder&) = delete;

    // Waits until the process ends; its exit status, or nothing on time-out.
    std::optional<int> WaitForExit() {
        int status = -1;
        if (!WaitFor([&] { return m_exited = platform::TryWaitForProcess(m_pid, &status); })) return std::nullopt;
        return status;
    }
    // Ends it the hard way: no destructor runs, as when a client crashes.
    void Kill() {
        platform::StopProcess(m_pid, 0);
        m_exited = true;
    }
    std::string Record() const {
        std::ifstream file(m_record);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

private:
    static inline int s_count = 0;
    std::filesystem::path m_record;
    int m_pid { -1 };
    bool m_exited { false };
};

class InstancePortTest : public ::testing::Test {
protected:
    void SetUp() override { platform::MessageQueue::Instance().BindToCurrentThread(); }
    test::TempDir m_dir;
};

TEST_F(InstancePortTest, PostsToTheHoldersWindowByTitleAndSaysWhenThereIsNone) {
    const std::string name = PortName("post");
    InstancePortClient client;
    EXPECT_FALSE(client.Connect(name));  // nobody holds it yet

    PortHolder holder(m_dir, name);
    ASSERT_TRUE(WaitFor([&] { return client.Connect(name); }));

    // Several requests on one connection; only the exact title reaches the window.
    EXPECT_EQ(client.PostToWindow(CLIENT_TITLE, WM_RELAY, 3, 0), PortPostResult::Posted);
    EXPECT_EQ(client.PostToWindow("Talvane", WM_RELAY, 4, 0), PortPostResult::NoWindow);
    EXPECT_EQ(client.PostToWindow(std::string(CLIENT_TITLE) + " ", WM_RELAY, 5, 0), PortPostResult::NoWindow);
    EXPECT_EQ(client.PostToWindow(CLIENT_TITLE, platform::WM_CLOSE, 1336, -7), PortPostResult::Posted);

    // The close message ends the holder, as it ends the client, and the port goes with it.
    EXPECT_EQ(holder.WaitForExit(), 0);
    EXPECT_EQ(holder.Record(), "5054 3 0\n16 1336 -7\n");
    EXPECT_EQ(client.PostToWindow(CLIENT_TITLE, WM_RELAY, 6, 0), PortPostResult::NoAnswer);
    EXPECT_FALSE(client.IsConnected());
    EXPECT_FALSE(InstancePortClient().Connect(name));
}

TEST_F(InstancePortTest, OneHolderPerNameAndACrashedHolderLeavesNoLock) {
    const std::string name = PortName("single");
    PortHolder first(m_dir, name);
    ASSERT_TRUE(WaitFor([&] { return InstancePortClient().Connect(name); }));

    PortHolder second(m_dir, name);
    EXPECT_EQ(second.WaitForExit(), 3);
    InstancePort port;
    EXPECT_FALSE(port.Hold(name));
    EXPECT_TRUE(port.Hold(PortName("other")));  // other names are free
    port.Release();

    first.Kill();
    EXPECT_TRUE(WaitFor([&] { return port.Hold(name); }));
    InstancePortClient client;
    EXPECT_TRUE(client.Connect(name));
}

// Programs started with another runtime directory belong to another session and never meet.
TEST_F(InstancePortTest, SessionsAreToldApartByTheRuntimeDirectory) {
    const std::string name = PortName("session");
    const std::string mine = (m_dir / "run-mine").string();
    PortHolder holder(m_dir, name, { { "XDG_RUNTIME_DIR", mine } });
    {
        ScopedVariable session("XDG_RUNTIME_DIR", mine);
        ASSERT_TRUE(WaitFor([&] { return InstancePortClient().Connect(name); }));
    }
    ScopedVariable other("XDG_RUNTIME_DIR", (m_dir / "run-other").string());
    EXPECT_FALSE(InstancePortClient().Connect(name));
    InstancePort port;
    EXPECT_TRUE(port.Hold(name));
}

class RecordingTarget : public platform::MessageTarget {
public:
    std::vector<platform::Message> received;

protected:
    // Overridden from MessageTarget:
    void OnMessage(platform::Message& message) override { received.push_back(std::move(message)); }
};

// The holder answers on its user-interface thread: a busy thread means no answer, and a later
// request is answered once the thread runs its queue again.
TEST_F(InstancePortTest, TheHolderAnswersFromItsUserInterfaceThread) {
    const std::string name = PortName("ui");
    RecordingTarget window;
    InstancePort port;
    ASSERT_TRUE(port.Hold(name, [&](const std::string& title) { return title == "w" ? window.Id() : 0; }));

    std::optional<PortPostResult> late;
    std::thread asker([&] {
        InstancePortClient client;
        late = client.Connect(name) ? client.PostToWindow("w", 77, 1, 2, 200) : PortPostResult::NoWindow;
    });
    asker.join();  // this thread runs no queue meanwhile
    EXPECT_EQ(late, PortPostResult::NoAnswer);

    std::atomic<bool> done { false };
    PortPostResult result = PortPostResult::NoAnswer;
    std::thread second([&] {
        InstancePortClient client;
        if (client.Connect(name)) result = client.PostToWindow("w", 78, 3, 4);
        done = true;
    });
    EXPECT_TRUE(WaitFor([&] { return done.load(); }));
    second.join();
    EXPECT_EQ(result, PortPostResult::Posted);
    ASSERT_TRUE(WaitFor([&] { return !window.received.empty() && window.received.back().id == 78; }));
    EXPECT_EQ(window.received.back().wParam, 3u);
    EXPECT_EQ(window.received.back().lParam, 4);

    port.Release();
    EXPECT_FALSE(InstancePortClient().Connect(name));
    EXPECT_TRUE(port.Hold(name));
}

// A holder that lets go of the port as soon as the posted message arrives, as a client does on
// a close message, still tells the asker that the message was posted.
class ReleasingTarget : public platform::MessageTarget {
public:
    InstancePort* port { nullptr };

protected:
    // Overridden from MessageTarget:
    void OnMessage(platform::Message&) override { port->Release(); }
};

TEST_F(InstancePortTest, AHolderThatEndsOnThePostedMessageStillAnswersPosted) {
    const std::string name = PortName("release");
    for (int round = 0; round < 30; ++round) {
        ReleasingTarget window;
        InstancePort port;
        window.port = &port;
        ASSERT_TRUE(port.Hold(name, [&](const std::string&) { return window.Id(); }));
        std::atomic<bool> done { false };
        PortPostResult result = PortPostResult::NoWindow;
        std::thread asker([&] {
            InstancePortClient client;
            if (client.Connect(name)) result = client.PostToWindow("w", platform::WM_CLOSE, 0, 0);
            done = true;
        });
        EXPECT_TRUE(WaitFor([&] { return done.load() && !port.IsHeld(); }));
        asker.join();
        ASSERT_EQ(result, PortPostResult::Posted) << "round " << round;
    }
}

}  // namespace
