#include "uninstall/CUnInstallApp.h"

#include <filesystem>

#include "gt/GTMessages.h"
#include "platform/ExecutablePath.h"
#include "uninstall/CUnInstallFrameWnd.h"
#include "uninstall/CompletionReport.h"
#include "uninstall/Relocation.h"
#include "uninstall/UninstallResources.h"

CUnInstallApp::CUnInstallApp() = default;
CUnInstallApp::~CUnInstallApp() = default;

bool CUnInstallApp::InitInstance() {
    const std::string program = platform::ExecutablePath();
    const std::string directory = std::filesystem::path(program).parent_path().string();
    if (IsInsideInstallation(directory) && !IsRelocatedCopy(program)) {
        // The copy does the work; this instance ends whether or not it could be started.
        StartRelocatedCopy(program, directory);
        SetExitCode(0);
        return false;
    }

    m_installPath = InstallPathFromEnvironment();
    SetProgramClass("TLVUninstall");
    if (!InitToolkit()) {
        SetExitCode(1);
        return false;
    }
    m_resources = std::make_unique<UIResources>(UninstallResourceTable());
    m_frame = std::make_unique<CUnInstallFrameWnd>(*m_resources);
    m_frame->SetInstallPath(m_installPath);
    if (!m_frame->CreateMainWindow()) {
        SetExitCode(1);
        return false;
    }
    MainWindowCreated();
    m_channel = ReadInstallationChannel(m_installPath);
    return true;
}

int CUnInstallApp::ExitInstance() {
    // A removal still running is cut short with the window.
    m_frame.reset();
    SendCompletionStatistic(m_channel);
    return platform::Application::ExitInstance();
}
