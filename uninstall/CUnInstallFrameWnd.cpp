#include "uninstall/CUnInstallFrameWnd.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "gt/GTMessages.h"
#include "platform/Application.h"
#include "platform/InstancePort.h"
#include "telemetry/StatReports.h"
#include "uninstall/UninstallMessages.h"
#include "uninstall/UninstallResources.h"
#include "uninstall/ui/UIAnimation.h"
#include "uninstall/ui/UIControls.h"
#include "uninstall/ui/UIRichEdit.h"

namespace {

bool completed = false;

// The survey's free text holds at most this many characters.
constexpr int REASON_TEXT_LIMIT = 70;
// After asking a running client to close, it is given this long before files are deleted.
constexpr auto CLIENT_CLOSE_GRACE = std::chrono::milliseconds(1000);

// The window as the desktop first sees it; the layout then sets its own size.
constexpr GTRect INITIAL_RECT { 0, 0, 800, 572 };
constexpr std::uint32_t MAIN_WINDOW_STYLE =
    WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU;

// Texts of step 1's buttons, with "ask" selected (the question may be asked) and without.
struct AskTexts {
    const char* next1;
    const char* next;
    const char* close1;
};
constexpr AskTexts ASK_SELECTED { "曾经爱过", "累觉不爱", "继续爱" };
constexpr AskTexts ASK_UNSELECTED { "跳过", "下一步", "取消" };

}  // namespace

bool IsUninstallCompleted() { return completed; }
void SetUninstallCompleted(bool value) { completed = value; }

CUnInstallFrameWnd::CUnInstallFrameWnd(const UIResources& resources) : UIWindow(resources) {}

CUnInstallFrameWnd::~CUnInstallFrameWnd() = default;

UIWindow::Builder CUnInstallFrameWnd::CustomControls() {
    return [](const std::string& type) -> std::unique_ptr<UIControl> {
        if (type == "ButtonGif") return std::make_unique<UIAnimation>();
        return nullptr;
    };
}

bool CUnInstallFrameWnd::CreateMainWindow() {
    // Shown only once centred: a window shown at (0, 0) and then moved would flash in the
    // corner of the screen.
    if (!Create(uninstall_res::LAYOUT_MAIN, uninstall_res::TYPE_XML, CustomControls(), INITIAL_RECT,
                UNINSTALL_WINDOW_TITLE, MAIN_WINDOW_STYLE & ~WS_VISIBLE))
        return false;
    CenterWindow();
    ShowWindow(SW_SHOWNORMAL);
    return true;
}

bool CUnInstallFrameWnd::LoadWithoutWindow() {
    return LoadLayout(uninstall_res::LAYOUT_MAIN, uninstall_res::TYPE_XML, CustomControls());
}

void CUnInstallFrameWnd::Notify(UINotify& notify) {
    if (notify.type == UI_NOTIFY_WINDOWINIT) {
        OnWindowInit();
        return;
    }
    if (notify.type != UI_NOTIFY_CLICK || !notify.sender) return;
    const std::string& name = notify.sender->Name();
    if (name == "next" || name == "next1") {
        ShowSurvey();
    } else if (name == "ask") {
        OnAskClicked();
    } else if (name == "uninstall") {
        StartRemoval();
    } else if (name == "close1Btn" || name == "close2Btn") {
        Quit();
    } else if (name == "finishBtn") {
        SetUninstallCompleted(true);
        Quit();
    }
}

void CUnInstallFrameWnd::OnWindowInit() {
    m_next = Find<UIButton>("next");
    m_next1 = Find<UIButton>("next1");
    m_close1 = Find<UIButton>("close1Btn");
    m_progress = Find<UIProgress>("progress");
    for (int i = 0; i < 4; ++i) m_steps[i] = FindControl("uninstStep_" + std::to_string(i + 1));
    m_ask = Find<UICheckBox>("ask");
    for (int i = 0; i < 3; ++i) m_cols[i] = Find<UICheckBox>("col" + std::to_string(i + 1));
    m_reasonText = Find<UIRichEdit>("reasonText");

    if (m_progress) {
        m_progress->SetMinValue(0);
        m_progress->SetMaxValue(100);
        m_progress->SetValue(0);
    }
    if (m_reasonText) m_reasonText->SetLimitText(REASON_TEXT_LIMIT);
}

void CUnInstallFrameWnd::ShowStep(UIControl* hide, UIControl* show) {
    if (hide) hide->Show(false);
    if (show) show->Show(true);
}

void CUnInstallFrameWnd::ShowSurvey() {
    ShowStep(m_steps[0], m_steps[1]);
    if (m_reasonText) m_reasonText->SetFocus();
}

void CUnInstallFrameWnd::OnAskClicked() {
    // The click arrives before the check box changes: a selected box is about to lose its tick.
    if (!m_ask) return;
    const AskTexts& texts = m_ask->IsSelected() ? ASK_UNSELECTED : ASK_SELECTED;
    if (m_next1) m_next1->SetText(texts.next1);
    if (m_next) m_next->SetText(texts.next);
    if (m_close1) m_close1->SetText(texts.close1);
}

void CUnInstallFrameWnd::StartRemoval() {
    if (m_job.IsStarted()) return;
    ShowStep(m_steps[1], m_steps[2]);
    SendReasonReport();
    CloseRunningClient();
    m_job.Prepare(m_installPath);
    m_job.Start(Id());
}

void CUnInstallFrameWnd::SendReasonReport() {
    const bool col1 = m_cols[0] && m_cols[0]->IsSelected();
    const bool col2 = m_cols[1] && m_cols[1]->IsSelected();
    const bool col3 = m_cols[2] && m_cols[2]->IsSelected();
    const std::string text = m_reasonText ? m_reasonText->GetText() : std::string();
    if (m_reasonReporter.EventName().empty()) CreateReportEvent(m_reasonReporter);
    // Sent on the reporter's own thread; nobody waits for it.
    ::SendReasonReport(m_reasonReporter, ReasonReportParams(col1, col2, col3, text));
}

void CUnInstallFrameWnd::CloseRunningClient() {
    platform::InstancePortClient client;
    if (!client.Connect(GT_HOST_WINDOW_CLASS)) return;
    // The client's window handle means nothing across processes; the client recognises the
    // request by its wParam. Whatever the answer, a client that holds the port gets its grace.
    client.PostToWindow(CLIENT_WINDOW_TITLE, WM_CLOSE, CLOSE_FOR_UNINSTALL, 0);
    client.Disconnect();
    std::this_thread::sleep_for(CLIENT_CLOSE_GRACE);
}

void CUnInstallFrameWnd::OnMessage(platform::Message& message) {
    if (message.id != WM_REMOVAL_PROGRESS) {
        UIWindow::OnMessage(message);
        return;
    }
    if (message.lParam != 0) return;
    OnProgress(message.wParam);
}

void CUnInstallFrameWnd::OnProgress(std::uintptr_t percent) {
    if (m_progress) m_progress->SetValue(static_cast<int>(std::min<std::uintptr_t>(percent, 100)));
    if (percent > 99) {
        ShowStep(m_steps[2], m_steps[3]);
        SetUninstallCompleted(true);
    }
}

void CUnInstallFrameWnd::Quit() {
    m_quit = true;
    if (IsWindow()) {
        DestroyWindow();
    } else if (auto* app = platform::Application::Current()) {
        app->MainWindowDestroyed();
    }
}

void CUnInstallFrameWnd::OnClose() { Quit(); }

void CUnInstallFrameWnd::OnDestroy() {
    m_quit = true;
    if (auto* app = platform::Application::Current()) app->MainWindowDestroyed();
}
