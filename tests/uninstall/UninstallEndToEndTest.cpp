// The whole uninstaller on a display: installed by the real installer into a scratch home,
// started from its installation, followed to its relocated copy and clicked through its four
// steps with real input. With TLV_UNINSTALL_SCREENSHOTS set to a folder, the screen is saved
// there at each step.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>

#include "gt/GTTypes.h"
#include "platform/MessageQueue.h"
#include "platform/Process.h"
#include "platform/SyntheticDesktop.h"
#include "platform/SyntheticInput.h"
#include "platform/Window.h"
#include "telemetry/CEthernetMac.h"
#include "tests/support/OperatorSimulator.h"
#include "tests/support/TempDir.h"
#include "tests/uninstall/ScratchHome.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;
namespace synthetic = platform::synthetic;

namespace {

constexpr const char* TITLE = "Talvane卸载程序";

std::string ReadText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The process running `program`, found through /proc; 0 when none.
int ProcessRunning(const fs::path& program) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code unreadable;
        if (fs::read_symlink(entry.path() / "exe", unreadable) == program) return std::stoi(name);
    }
    return 0;
}

// Gone, or ended and waiting to be reaped by whoever adopted it.
bool ProcessEnded(int pid) {
    const std::string stat = ReadText("/proc/" + std::to_string(pid) + "/stat");
    if (stat.empty()) return true;
    const std::size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z';
}

class UninstallEndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* reason = synthetic::WhyUnusable()) GTEST_SKIP() << reason;
        m_display = std::make_unique<synthetic::ExclusiveUse>();
        platform::MessageQueue::Instance().BindToCurrentThread();
        if (const char* folder = std::getenv("TLV_UNINSTALL_SCREENSHOTS")) m_screenshots = folder;
    }
    void TearDown() override {
        if (m_display) synthetic::Release(1);
        // A copy left running by a failed test goes, so that its window leaves the display.
        if (m_copyPid > 0 && !ProcessEnded(m_copyPid)) {
            const int killer =
                platform::StartProcess("/bin/kill", { "-KILL", std::to_string(m_copyPid) }, {});
            if (killer > 0) platform::WaitForProcess(killer);
        }
    }

    bool Pump(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
        return synthetic::PumpUntil(done, timeout);
    }
    // Screen point of a point of the uninstaller's window.
    GTPoint At(int x, int y) const { return { m_window.left + x, m_window.top + y }; }
    std::optional<std::uint32_t> Pixel(int x, int y) const {
        GTPoint p = At(x, y);
        return synthetic::ReadScreenPixel(p.x, p.y);
    }
    // The pixels of a rectangle of the window, row by row.
    std::vector<std::optional<std::uint32_t>> Area(int x, int y, int width, int height) const {
        std::vector<std::optional<std::uint32_t>> pixels;
        for (int row = y; row < y + height; ++row)
            for (int column = x; column < x + width; ++column) pixels.push_back(Pixel(column, row));
        return pixels;
    }
    void Click(int x, int y) {
        GTPoint p = At(x, y);
        synthetic::MoveTo(p.x, p.y);
        synthetic::Press(1);
        synthetic::Release(1);
        // The pointer leaves, so that nothing shows its hot look when the screen is read.
        synthetic::MoveTo(At(150, 380).x, At(150, 380).y);
    }
    void Screenshot(const char* name) {
        if (m_screenshots.empty()) return;
        fs::create_directories(m_screenshots);
        EXPECT_TRUE(synthetic::SaveScreenshot((m_screenshots / name).string()));
    }
    std::vector<std::string> Queries(const std::string& path) const {
        std::vector<std::string> queries;
        for (const auto& request : m_sim.Requests()) {
            if (request.path == path) queries.push_back(request.query);
        }
        return queries;
    }

    std::unique_ptr<synthetic::ExclusiveUse> m_display;
    uninstalltest::ScratchHome m_home;
    test::TempDir m_root;
    test::OperatorSimulator m_sim { m_root.Path() };
    platform::WindowRect m_window;
    int m_copyPid { 0 };
    fs::path m_screenshots;
};

}  // namespace

TEST_F(UninstallEndToEndTest, StartedFromItsInstallationItMovesAwayAndRemovesItWhenClickedThrough) {
    std::string errors;
    ASSERT_EQ(m_home.Install({}, &errors), 0) << errors;
    const fs::path installation = m_home.DefaultInstallation();
    ASSERT_TRUE(fs::exists(installation / "TLVUninstall"));
    // The relocated copy reads its addresses beside itself, in the temporary directory.
    uninstalltest::ScratchHome::Write(
        m_home.Temporary() / "urls.config",
        "[URLS]\nlogstat=" + m_sim.BaseUrl() + "mc_log\nloguninstallreson=" + m_sim.BaseUrl() + "mc_rea\n");

    // The first instance only starts its copy and ends.
    const int first = platform::StartProcess((installation / "TLVUninstall").string(), {},
                                             { { "XDG_RUNTIME_DIR", (m_home.Root() / "run").string() } });
    ASSERT_GT(first, 0);
    int status = -1;
    ASSERT_TRUE(Pump([&] { return platform::TryWaitForProcess(first, &status); }));
    EXPECT_EQ(status, 0);
    fs::path copy;
    for (const auto& entry : fs::directory_iterator(m_home.Temporary())) {
        if (entry.path().filename().string().starts_with("~uninst")) copy = entry.path();
    }
    ASSERT_FALSE(copy.empty()) << "no relocated copy in " << m_home.Temporary();
    // The program turns into the copy a moment before the copy's environment can be read.
    std::string environment;
    ASSERT_TRUE(Pump([&] {
        if ((m_copyPid = ProcessRunning(copy)) <= 0) return false;
        environment = ReadText("/proc/" + std::to_string(m_copyPid) + "/environ");
        return !environment.empty();
    }));
    EXPECT_NE(environment.find("INSTALLPATH=" + installation.string() + "/" + std::string(1, '\0')),
              std::string::npos);

    // Step 1: the window of the copy, at the layout's size.
    std::optional<platform::WindowRect> found;
    ASSERT_TRUE(Pump([&] { return (found = synthetic::FindDesktopWindow(TITLE)).has_value(); }));
    m_window = *found;
    // Shown where it stays: in the middle of the screen.
    const platform::WindowRect screen = platform::Window::PrimaryWorkArea();
    EXPECT_NEAR(m_window.left + m_window.Width() / 2, screen.left + screen.Width() / 2, 1);
    EXPECT_NEAR(m_window.top + m_window.Height() / 2, screen.top + screen.Height() / 2, 1);
    EXPECT_EQ(m_window.Width(), 541);
    EXPECT_EQ(m_window.Height(), 402);
    synthetic::MoveTo(At(150, 380).x, At(150, 380).y);
    // The look of an idle button (close1Btn now, finishBtn in step 4) and of the survey's first
    // check box place while it holds none.
    // A window mapped but not painted yet reads black; a busy machine can show that for a while,
    // so the look counts once it is drawn and has stayed for a moment.
    std::optional<std::uint32_t> idleButton, noBox;
    auto drawn = [&] {
        auto pixel = Pixel(425, 362);
        return pixel && *pixel != 0xFF000000u && pixel != Pixel(425, 340) ? pixel : std::nullopt;
    };
    auto since = std::chrono::steady_clock::now();
    ASSERT_TRUE(Pump([&] {
        auto now = drawn();
        if (!now || now != idleButton) {
            idleButton = now;
            since = std::chrono::steady_clock::now();
            return false;
        }
        return std::chrono::steady_clock::now() - since >= 200ms;
    }));
    noBox = Pixel(296, 139);
    Screenshot("uninstall-step1.png");

    // Step 2: "next", the first reason, a few words.
    Click(359, 379);
    ASSERT_TRUE(Pump([&] { return Pixel(296, 139) != noBox; })) << "the survey did not show";
    const auto untickedBox = Pixel(303, 139);
    Click(303, 139);
    ASSERT_TRUE(Pump([&] { return Pixel(303, 139) != untickedBox; })) << "col1 was not ticked";
    Click(400, 285);
    const auto emptyLine = Area(292, 252, 40, 20);
    for (const char* key : { "o", "k", "space", "b", "y", "e" }) synthetic::TypeKey(key);
    ASSERT_TRUE(Pump([&] { return Area(292, 252, 40, 20) != emptyLine; })) << "the text field shows no text";
    Screenshot("uninstall-step2.png");

    // Steps 3 and 4: "uninstall", then "finishBtn" once it shows.
    Click(359, 379);
    ASSERT_TRUE(Pump([&] { return Queries("/mc_rea").size() == 1; }));
    const std::string mac = CEthernetMac().GetMacText();
    EXPECT_EQ(Queries("/mc_rea")[0], "col=100&text=ok+bye&mac=" + mac);
    ASSERT_TRUE(Pump([&] { return !fs::exists(installation); }, 20s));
    const bool lastStep = Pump([&] { return Pixel(425, 362) == idleButton; }, 10s);
    if (!lastStep) Screenshot("uninstall-failed.png");
    ASSERT_TRUE(lastStep) << "the last step did not show: " << std::hex << Pixel(425, 362).value_or(0) << " for "
                          << idleButton.value_or(0);
    Screenshot("uninstall-step4.png");
    EXPECT_TRUE(Queries("/mc_log").empty());
    Click(479, 379);

    ASSERT_TRUE(Pump([&] { return ProcessEnded(m_copyPid); }, 15s));
    ASSERT_EQ(Queries("/mc_log").size(), 1u);
    EXPECT_TRUE(Queries("/mc_log")[0].starts_with("&statcode=2&macaddr=" + mac +
                                                  "&version=1.1.6.0.0&lumtype=a&user=&key="))
        << Queries("/mc_log")[0];
    for (const fs::path& entry : m_home.Entries()) EXPECT_FALSE(fs::exists(entry)) << entry;
    // The copy stays behind in the temporary directory.
    EXPECT_TRUE(fs::exists(copy));
}
