#pragma once

#include <memory>
#include <string>

#include "platform/Application.h"

class CUnInstallFrameWnd;
class UIResources;

// The uninstaller's program. Started inside an installation it only starts its relocated copy
// and ends; the copy (or a program started anywhere else) shows the main window, runs until it
// goes, and then sends the completion statistic when the uninstall was carried out.
class CUnInstallApp : public platform::Application {
public:
    CUnInstallApp();
    ~CUnInstallApp() override;

protected:
    // Overridden from platform::Application:
    bool InitInstance() override;
    int ExitInstance() override;

private:
    std::unique_ptr<UIResources> m_resources;
    std::unique_ptr<CUnInstallFrameWnd> m_frame;
    std::string m_installPath;
    std::string m_channel;
};
