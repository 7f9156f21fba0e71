#pragma once

#include <string>

#include "telemetry/ReportTask.h"
#include "uninstall/RemovalJob.h"
#include "uninstall/ui/UIWindow.h"

class UIButton;
class UICheckBox;
class UIControl;
class UIProgress;
class UIRichEdit;

// The main window's title, and the running client's, by which the client is asked to close.
inline constexpr const char* UNINSTALL_WINDOW_TITLE = "Talvane卸载程序";
inline constexpr const char* CLIENT_WINDOW_TITLE = "Talvane微端";
// wParam of the close message that tells the client the uninstaller asks it to end.
inline constexpr std::uintptr_t CLOSE_FOR_UNINSTALL = 1336;

// Whether the uninstall was carried out: set when the progress passes 99 or the user presses
// "finishBtn". It decides whether the completion statistic is sent when the program ends.
bool IsUninstallCompleted();
void SetUninstallCompleted(bool completed);

// The uninstaller's window: four steps in one layout (farewell, survey, removal, done).
//   1 → 2  "next" or "next1"; "ask" toggles the texts of the three buttons of step 1
//   2 → 3  "uninstall": the reason report goes out, a running client is asked to close, and
//          the removal starts
//   3 → 4  the removal's progress passes 99
// "close1Btn", "close2Btn", "finishBtn" and the window's close end the program.
class CUnInstallFrameWnd : public UIWindow {
public:
    explicit CUnInstallFrameWnd(const UIResources& resources);
    ~CUnInstallFrameWnd() override;

    // The installation to remove (from INSTALLPATH; empty when there is none).
    void SetInstallPath(const std::string& path) { m_installPath = path; }
    const std::string& InstallPath() const { return m_installPath; }

    // The desktop window: titled, pop-up, at the layout's size in the middle of the screen.
    bool CreateMainWindow();
    // The same window without a desktop window (tests drive it by notifications).
    bool LoadWithoutWindow();

    // The user (or the desktop) asked to end: the window goes and the program's loop ends.
    bool QuitRequested() const { return m_quit; }

    // Overridden from platform::WindowClient (the desktop's close and WM_CLOSE end the program,
    // also without a desktop window):
    void OnClose() override;
    void OnDestroy() override;

protected:
    // Overridden from UIWindow:
    void Notify(UINotify& notify) override;
    // Overridden from GTWindow (the removal's progress arrives here):
    void OnMessage(platform::Message& message) override;

private:
    static Builder CustomControls();
    void OnWindowInit();
    void OnAskClicked();
    void ShowSurvey();
    void StartRemoval();
    void SendReasonReport();
    void CloseRunningClient();
    void OnProgress(std::uintptr_t percent);
    void Quit();
    void ShowStep(UIControl* hide, UIControl* show);

    UIButton* m_next { nullptr };
    UIButton* m_next1 { nullptr };
    UIButton* m_close1 { nullptr };
    UIProgress* m_progress { nullptr };
    UIControl* m_steps[4] {};
    UICheckBox* m_ask { nullptr };
    UICheckBox* m_cols[3] {};
    UIRichEdit* m_reasonText { nullptr };

    ReportTask m_reasonReporter;
    std::string m_installPath;
    RemovalJob m_job;
    bool m_quit { false };
};
