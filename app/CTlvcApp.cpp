#include "app/CTlvcApp.h"

#include <cstdio>

#include "cache/PathUtils.h"
#include "gt/GTResourceManager.h"

bool CTlvcApp::InitInstance() {
    if (RelayToRunningClient(CommandLine())) return false;
    if (HandOffPendingUpgrade()) return false;
    if (!InitCommonControls()) {
        std::fprintf(stderr, "Tlvc: no graphical display is available (DISPLAY or WAYLAND_DISPLAY).\n");
        SetExitCode(1);
        return false;
    }
    EnableControlHosting();
    SetRegistryKey();
    LoadSkin();
    RegisterShadowClass();
    SetTaskbarIdentity();
    CreateLauncherFrame();
    ShowLoginPage();
    return true;
}

int CTlvcApp::ExitInstance() { return platform::Application::ExitInstance(); }

bool CTlvcApp::RelayToRunningClient(const std::string&) {
    // The single-instance relay joins here; until it does, every start runs on.
    return false;
}

bool CTlvcApp::HandOffPendingUpgrade() {
    // The client upgrade joins here; until it does, no upgrade is ever waiting.
    return false;
}

bool CTlvcApp::InitCommonControls() { return InitToolkit(); }

void CTlvcApp::EnableControlHosting() {
    // The web view needs no process-wide preparation.
}

void CTlvcApp::SetRegistryKey() { SetApplicationName(LAUNCHER_TITLE); }

void CTlvcApp::LoadSkin() {
    // A missing or broken skin leaves the tables empty: windows then draw without pictures.
    GTResourceManager::Instance().LoadSchema(AppPath(SKIN_SCHEMA));
}

void CTlvcApp::RegisterShadowClass() {
    // The drop-shadow window joins here with the toolkit.
}

void CTlvcApp::SetTaskbarIdentity() {
    // The original set its identity only on one Windows version, where the shell needed it to
    // group the windows with the jump list. Desktops here always match windows to their desktop
    // entry by window class, so the class is set on every start.
    SetProgramClass(APP_IDENTITY);
}

void CTlvcApp::CreateLauncherFrame() {
    // The launcher frame joins here. Without it there is no main window, so the process ends
    // after start-up instead of waiting for a window that never comes.
}

void CTlvcApp::ShowLoginPage() {
    // Joins with the launcher frame.
}
