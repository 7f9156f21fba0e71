#include "app/CTlvcApp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Process.h"
#include "tests/support/TempDir.h"

namespace {

// Records the start-up steps instead of doing them.
class RecordingApp : public CTlvcApp {
public:
    bool relay = false;
    bool upgrade = false;
    bool display = true;
    std::vector<std::string> steps;
    std::string relayedCommandLine;

    bool Start() { return InitInstance(); }

protected:
    bool RelayToRunningClient(const std::string& commandLine) override {
        steps.push_back("relay");
        relayedCommandLine = commandLine;
        return relay;
    }
    bool HandOffPendingUpgrade() override {
        steps.push_back("upgrade");
        return upgrade;
    }
    bool InitCommonControls() override {
        steps.push_back("controls");
        return display;
    }
    void EnableControlHosting() override { steps.push_back("hosting"); }
    void SetRegistryKey() override { steps.push_back("registry"); }
    void LoadSkin() override { steps.push_back("skin"); }
    void RegisterShadowClass() override { steps.push_back("shadow"); }
    void SetTaskbarIdentity() override { steps.push_back("identity"); }
    void CreateLauncherFrame() override { steps.push_back("launcher"); }
    void ShowLoginPage() override { steps.push_back("login page"); }
};

using Steps = std::vector<std::string>;

TEST(Startup, StepsRunInTheirFixedOrderAndStopWhereTheProcessMustEnd) {
    struct Case {
        const char* name;
        bool relay, upgrade, display;
        bool result;
        Steps steps;
    } cases[] = {
        {"a normal start", false, false, true, true,
         {"relay", "upgrade", "controls", "hosting", "registry", "skin", "shadow", "identity", "launcher",
          "login page"}},
        {"another client runs", true, false, true, false, {"relay"}},
        {"an upgrade program was started", false, true, true, false, {"relay", "upgrade"}},
        {"another client runs and an upgrade waits", true, true, true, false, {"relay"}},
        {"no display", false, false, false, false, {"relay", "upgrade", "controls"}},
    };
    for (const auto& c : cases) {
        RecordingApp app;
        app.relay = c.relay;
        app.upgrade = c.upgrade;
        app.display = c.display;
        EXPECT_EQ(app.Start(), c.result) << c.name;
        EXPECT_EQ(app.steps, c.steps) << c.name;
    }
}

TEST(Startup, TheWholeCommandLineReachesTheRelayAsOneText) {
    const char* argv[] = {"/opt/tlv client/Tlvc", "auto", "#game#", "min", ""};
    RecordingApp app;
    app.SetCommandLine(platform::JoinCommandLine(5, argv));
    EXPECT_TRUE(app.Start());
    EXPECT_EQ(app.relayedCommandLine, "\"/opt/tlv client/Tlvc\" auto #game# min \"\"");
    // Text other than the markers changes nothing: every step still runs.
    EXPECT_EQ(app.steps.size(), 10u);
}

// The real program: without a display it says so and fails; with one it runs the start-up that
// exists so far and ends, as it has no main window yet.
TEST(Startup, TheClientProgramRunsItsStartUp) {
    test::TempDir dir;
    auto err = dir / "stderr.txt";
    int pid = platform::StartProcess(
        "/bin/sh", {"-c", "unset DISPLAY WAYLAND_DISPLAY; exec \"$0\" auto 2> \"$ERR\"", TLVC_PATH},
        {{"ERR", err.string()}});
    ASSERT_GT(pid, 0);
    EXPECT_EQ(platform::WaitForProcess(pid), 1);
    EXPECT_NE(dir.Read("stderr.txt").find("no graphical display"), std::string::npos);

    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display for the second half";
    pid = platform::StartProcess(TLVC_PATH, {"#kx#"}, {});
    ASSERT_GT(pid, 0);
    EXPECT_EQ(platform::WaitForProcess(pid), 0);
}

}  // namespace
