// The uninstaller's four steps, driven by notifications to its named controls, against the
// operator simulator and scratch installations made by the real installer.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "gt/GTMessages.h"
#include "platform/ExecutablePath.h"
#include "platform/InstancePort.h"
#include "platform/MessageQueue.h"
#include "platform/Process.h"
#include "telemetry/CEthernetMac.h"
#include "telemetry/ReportSender.h"
#include "tests/support/OperatorSimulator.h"
#include "tests/support/TempDir.h"
#include "tests/uninstall/ScopedVariable.h"
#include "tests/uninstall/ScratchHome.h"
#include "uninstall/CUnInstallFrameWnd.h"
#include "uninstall/CompletionReport.h"
#include "uninstall/Relocation.h"
#include "uninstall/UninstallMessages.h"
#include "uninstall/UninstallResources.h"
#include "uninstall/ui/UIControls.h"
#include "uninstall/ui/UIRichEdit.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using uninstalltest::ScopedVariable;

namespace {

constexpr const char* MAC = "001A2B3C4D5E";

bool Pump(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
    return platform::MessageQueue::Instance().PumpUntil(done, timeout);
}

class UninstallFlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::MessageQueue::Instance().BindToCurrentThread();
        // The uninstaller's own directory (a relocated copy's) with the simulator's addresses.
        platform::OverrideExecutablePath((m_program / "~uninstTEST").string());
        m_program.Write("urls.config", "[URLS]\nlogstat=" + m_sim.BaseUrl() +
                                           "mc_log\nloguninstallreson=" + m_sim.BaseUrl() + "mc_rea\n");
        CEthernetMac::SetAdapterSource([](std::vector<platform::HardwareAddress>* list) {
            *list = { { 0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E } };
            return true;
        });
        SetReportTransferLimits(5000, 20000);
        SetUninstallCompleted(false);
    }
    void TearDown() override {
        m_frame.reset();
        SetUninstallCompleted(false);
        SetReportTransferLimits(15000, 30000);
        CEthernetMac::SetAdapterSource(nullptr);
        platform::OverrideExecutablePath("");
    }

    // A fresh window for the installation at `installPath`, loaded without a desktop window.
    CUnInstallFrameWnd& Open(const std::string& installPath) {
        m_frame = std::make_unique<CUnInstallFrameWnd>(m_resources);
        m_frame->SetInstallPath(installPath);
        EXPECT_TRUE(m_frame->LoadWithoutWindow());
        return *m_frame;
    }
    // An installation laid out by the installer in the scratch home.
    std::string Install() {
        std::string errors;
        EXPECT_EQ(m_home.Install({}, &errors), 0) << errors;
        return m_home.DefaultInstallation().string() + "/";
    }

    void Click(const char* name) {
        UIControl* control = m_frame->FindControl(name);
        ASSERT_NE(control, nullptr) << name;
        control->Activate();
    }
    int VisibleStep() const {
        int shown = 0;
        for (int step = 1; step <= 4; ++step) {
            UIControl* container = m_frame->FindControl("uninstStep_" + std::to_string(step));
            if (container && container->IsVisible()) shown = shown ? -1 : step;  // -1: more than one
        }
        return shown;
    }
    std::string ButtonText(const char* name) const {
        auto* button = m_frame->Find<UIButton>(name);
        return button ? button->Text() : "<missing>";
    }
    // Queries the simulator received for a path, in order.
    std::vector<std::string> Queries(const std::string& path) const {
        std::vector<std::string> queries;
        for (const auto& request : m_sim.Requests()) {
            if (request.path == path) queries.push_back(request.query);
        }
        return queries;
    }

    uninstalltest::ScratchHome m_home;  // HOME, XDG_* and TMPDIR point into it
    // Nothing here ever meets the user's own running client.
    ScopedVariable m_runtime { "XDG_RUNTIME_DIR", (m_home.Root() / "run").string() };
    test::TempDir m_root;
    test::OperatorSimulator m_sim { m_root.Path() };
    test::TempDir m_program;
    UIResources m_resources { UninstallResourceTable() };
    std::unique_ptr<CUnInstallFrameWnd> m_frame;
};

}  // namespace

TEST_F(UninstallFlowTest, WindowInitSetsTheProgressAndTheReasonLimitAndStepOneShows) {
    Open("");
    EXPECT_EQ(VisibleStep(), 1);
    auto* progress = m_frame->Find<UIProgress>("progress");
    auto* reason = m_frame->Find<UIRichEdit>("reasonText");
    ASSERT_TRUE(progress && reason);
    EXPECT_EQ(progress->MinValue(), 0);
    EXPECT_EQ(progress->MaxValue(), 100);
    EXPECT_EQ(progress->Value(), 0);
    EXPECT_EQ(reason->LimitText(), 70);
    EXPECT_TRUE(m_frame->Find<UICheckBox>("ask")->IsSelected());
    for (const char* name : { "col1", "col2", "col3" })
        EXPECT_FALSE(m_frame->Find<UICheckBox>(name)->IsSelected());
    // Every control the flow names is in the layout, with its look.
    for (const char* name :
         { "next", "next1", "close1Btn", "uninstall", "close2Btn", "finishBtn", "progress", "uninstStep_1",
           "uninstStep_2", "uninstStep_3", "uninstStep_4", "col1", "col2", "col3", "ask", "reasonText" })
        EXPECT_NE(m_frame->FindControl(name), nullptr) << name;
    EXPECT_EQ(m_frame->FindControl("next")->WindowRect(), GTRect::FromSize(300, 360, 119, 39));
    EXPECT_EQ(m_frame->FindControl("ask")->WindowRect(), GTRect::FromSize(290, 160, 27, 19));
    EXPECT_EQ(m_frame->FindControl("progress")->WindowRect(), GTRect::FromSize(2, 343, 538, 11));
    EXPECT_EQ(m_frame->FindControl("reasonText")->WindowRect(), (GTRect { 291, 251, 519, 324 }));
}

TEST_F(UninstallFlowTest, AskTogglesTheThreeTextsAndBothFirstButtonsOpenTheSurvey) {
    Open("");
    auto* ask = m_frame->Find<UICheckBox>("ask");
    Click("ask");
    EXPECT_FALSE(ask->IsSelected());
    EXPECT_EQ(ButtonText("next1"), "跳过");
    EXPECT_EQ(ButtonText("next"), "下一步");
    EXPECT_EQ(ButtonText("close1Btn"), "取消");
    Click("ask");
    EXPECT_TRUE(ask->IsSelected());
    EXPECT_EQ(ButtonText("next1"), "曾经爱过");
    EXPECT_EQ(ButtonText("next"), "累觉不爱");
    EXPECT_EQ(ButtonText("close1Btn"), "继续爱");

    for (const char* button : { "next", "next1" }) {
        for (bool untick : { false, true }) {
            Open("");
            if (untick) Click("ask");
            Click(button);
            EXPECT_EQ(VisibleStep(), 2) << button << (untick ? " after unticking" : "");
        }
    }
    EXPECT_TRUE(m_sim.Requests().empty());
}

TEST_F(UninstallFlowTest, TheReasonReportCarriesTheTicksAndTheFormEncodedGbkText) {
    struct Case {
        bool cols[3];
        const char* text;
        const char* params;
    };
    const Case cases[] = {
        { { false, false, false }, "", "col=000&text=" },
        { { true, false, true }, "a b", "col=101&text=a+b" },
        { { false, true, false }, "R&D 100%", "col=010&text=R%26D+100%25" },
        { { true, true, true }, "界面 卡", "col=111&text=%BD%E7%C3%E6+%BF%A8" },
        { { false, false, false }, "-_.!~*'()\nok", "col=000&text=-_.!~*'()%0Aok" },
    };
    // Installations that hold no client: the removal deletes nothing there.
    const std::string nowhere = (m_root.Path() / "not-an-installation").string();
    std::size_t sent = 0;
    for (const Case& c : cases) {
        Open(nowhere);
        Click("next");
        for (int i = 0; i < 3; ++i) {
            if (c.cols[i]) Click(("col" + std::to_string(i + 1)).c_str());
        }
        m_frame->Find<UIRichEdit>("reasonText")->SetText(c.text);
        Click("uninstall");
        EXPECT_EQ(VisibleStep(), 3);
        ++sent;
        ASSERT_TRUE(Pump([&] { return Queries("/mc_rea").size() == sent; })) << c.text;
        EXPECT_EQ(Queries("/mc_rea").back(), std::string(c.params) + "&mac=" + MAC);
        // The removal still ends, and the window reaches its last step.
        EXPECT_TRUE(Pump([&] { return VisibleStep() == 4; })) << c.text;
    }
}

TEST_F(UninstallFlowTest, CancellingInStepOneOrTwoRemovesAndReportsNothing) {
    const std::string installation = Install();
    const std::string channel = ReadInstallationChannel(installation);
    for (const char* cancel : { "close1Btn", "close2Btn" }) {
        Open(installation);
        if (std::string(cancel) == "close2Btn") {
            Click("next");
            Click("col2");
            m_frame->Find<UIRichEdit>("reasonText")->SetText("bye");
        }
        Click(cancel);
        EXPECT_TRUE(m_frame->QuitRequested()) << cancel;
        m_frame.reset();
        EXPECT_FALSE(IsUninstallCompleted()) << cancel;
        EXPECT_FALSE(SendCompletionStatistic(channel)) << cancel;
    }
    EXPECT_TRUE(fs::exists(m_home.DefaultInstallation() / "Tlvc"));
    for (const fs::path& entry : m_home.Entries()) EXPECT_TRUE(fs::exists(entry)) << entry;
    EXPECT_TRUE(m_sim.Requests().empty());
}

TEST_F(UninstallFlowTest, ClosingInStepFourStillSendsTheCompletionStatistic) {
    const std::string installation = Install();
    uninstalltest::ScratchHome::Write(m_home.DefaultInstallation() / "update/upgrade.ini",
                                      "[UPGRADE]\nneed=0\nmyupgradetype=qq\n");
    const std::string channel = ReadInstallationChannel(installation);
    EXPECT_EQ(channel, "qq");
    Open(installation);
    Click("next1");
    Click("uninstall");
    ASSERT_TRUE(Pump([&] { return VisibleStep() == 4; }, 20s));
    EXPECT_EQ(m_frame->Find<UIProgress>("progress")->Value(), 100);
    EXPECT_TRUE(IsUninstallCompleted());
    // The last file's share reaches 100 just before that file goes.
    EXPECT_TRUE(Pump([&] { return !fs::exists(m_home.DefaultInstallation()); }));
    for (const fs::path& entry : m_home.Entries()) EXPECT_FALSE(fs::exists(entry)) << entry;

    // The desktop's close, not "finishBtn".
    m_frame->Post(WM_CLOSE);
    ASSERT_TRUE(Pump([&] { return m_frame->QuitRequested(); }));
    m_frame.reset();
    EXPECT_TRUE(SendCompletionStatistic(channel));
    ASSERT_TRUE(Pump([&] { return Queries("/mc_log").size() == 1; }));
    EXPECT_EQ(Queries("/mc_log")[0],
              std::string("&statcode=2&macaddr=") + MAC +
                  "&version=1.1.6.0.0&lumtype=qq&user=&key=d43ef691d079d47150ad4fc9f0b48746");
    ASSERT_TRUE(Pump([&] { return Queries("/mc_rea").size() == 1; }));
    EXPECT_EQ(Queries("/mc_rea")[0], std::string("col=000&text=&mac=") + MAC);
}

TEST_F(UninstallFlowTest, ProgressMovesTheBarAndPastNinetyNineShowsTheLastStep) {
    Open("");
    Click("next");
    // As if the removal had started.
    m_frame->FindControl("uninstStep_2")->Show(false);
    m_frame->FindControl("uninstStep_3")->Show(true);
    auto* progress = m_frame->Find<UIProgress>("progress");
    m_frame->Post(WM_REMOVAL_PROGRESS, 100, 1);  // not the removal's: ignored
    m_frame->Post(WM_REMOVAL_PROGRESS, 40, 0);
    ASSERT_TRUE(Pump([&] { return progress->Value() == 40; }));
    EXPECT_EQ(VisibleStep(), 3);
    EXPECT_FALSE(IsUninstallCompleted());
    m_frame->Post(WM_REMOVAL_PROGRESS, 99, 0);
    ASSERT_TRUE(Pump([&] { return progress->Value() == 99; }));
    EXPECT_EQ(VisibleStep(), 3);
    m_frame->Post(WM_REMOVAL_PROGRESS, 100, 0);
    ASSERT_TRUE(Pump([&] { return VisibleStep() == 4; }));
    EXPECT_TRUE(IsUninstallCompleted());

    // "finishBtn" sets the flag too, and ends the window.
    SetUninstallCompleted(false);
    Click("finishBtn");
    EXPECT_TRUE(IsUninstallCompleted());
    EXPECT_TRUE(m_frame->QuitRequested());
}

TEST_F(UninstallFlowTest, StartingTheRemovalAsksARunningClientToClose) {
    const fs::path record = m_root.Path() / "client-record.txt";
    const int client = platform::StartProcess(TLV_PORT_HOLDER,
                                              { "Tlvc - HostWnd", CLIENT_WINDOW_TITLE, record.string() }, {});
    ASSERT_GT(client, 0);
    // The stand-in client holds the port once it answers; until then the uninstaller would not
    // find it.
    platform::InstancePortClient probe;
    ASSERT_TRUE(Pump([&] { return probe.Connect("Tlvc - HostWnd"); }));
    probe.Disconnect();

    Open((m_root.Path() / "not-an-installation").string());
    Click("next");
    Click("uninstall");
    int status = -1;
    const bool ended = Pump([&] { return platform::TryWaitForProcess(client, &status); });
    if (!ended) platform::StopProcess(client, 1000);
    ASSERT_TRUE(ended);
    EXPECT_EQ(status, 0);
    std::ifstream file(record);
    const std::string seen((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(seen, "16 1336 0\n");
    EXPECT_TRUE(Pump([&] { return VisibleStep() == 4; }));
}

TEST(UninstallStartTest, OnlyAProgramBesideTheClientRelocatesAndAFailedCopyLeavesNothing) {
    test::TempDir dir;
    dir.Write("installation/Tlvc", "client");
    dir.Write("elsewhere/readme.txt", "");
    fs::create_directories(dir / "folder-named/Tlvc");
    EXPECT_TRUE(IsInsideInstallation((dir / "installation").string()));
    EXPECT_FALSE(IsInsideInstallation((dir / "elsewhere").string()));
    EXPECT_FALSE(IsInsideInstallation((dir / "folder-named").string()));
    EXPECT_FALSE(IsInsideInstallation(""));
    // A copy never relocates again, wherever it runs.
    EXPECT_TRUE(IsRelocatedCopy((dir / "installation/~uninstAb12Cd").string()));
    EXPECT_FALSE(IsRelocatedCopy((dir / "installation/TLVUninstall").string()));

    // No temporary directory to copy into: nothing is started and nothing is left.
    ScopedVariable tmp("TMPDIR", (dir / "missing").string());
    EXPECT_EQ(StartRelocatedCopy((dir / "installation/Tlvc").string(), (dir / "installation").string()), -1);
    EXPECT_FALSE(fs::exists(dir / "missing"));
}

TEST(UninstallStartTest, TheChannelComesFromTheInstallationsUpgradeFile) {
    test::TempDir dir;
    dir.Write("with/update/upgrade.ini", "[upgrade]\nMyUpgradeType=qq\n");
    dir.Write("without-key/update/upgrade.ini", "[UPGRADE]\nneed=0\n");
    const std::pair<std::string, std::string> cases[] = {
        { (dir / "with").string() + "/", "qq" },         { (dir / "with").string(), "qq" },
        { test::ClientPath(dir / "with") + "\\", "qq" }, { (dir / "without-key").string(), "a" },
        { (dir / "nothing-here").string(), "a" },        { "", "a" },  // never the working directory's file
    };
    for (const auto& [path, channel] : cases) EXPECT_EQ(ReadInstallationChannel(path), channel) << path;
}
