#pragma once

#include "platform/Application.h"

// The client's application object. InitInstance decides, in a fixed order, whether this process
// runs at all, prepares the process-wide services and opens the launcher. Each step is a hook of
// its own; a step whose subsystem has not joined the client yet is an empty hook in its place.
class CTlvcApp : public platform::Application {
public:
    // Title of the launcher window, also the name the desktop shows for the application.
    static constexpr const char* LAUNCHER_TITLE = "Talvane微端";
    // Program name and window class: the desktop entry and the jump list carry the same name.
    static constexpr const char* APP_IDENTITY = "bf.tlvc";
    // Below the program directory.
    static constexpr const char* SKIN_SCHEMA = "skin\\default\\index.schema";

    CTlvcApp() = default;

protected:
    // Overridden from platform::Application:
    bool InitInstance() override;
    int ExitInstance() override;

    // Step 1. True when another client runs and has been handed this start's request.
    virtual bool RelayToRunningClient(const std::string& commandLine);
    // Step 2. True when a downloaded upgrade program was started and this process must end.
    virtual bool HandOffPendingUpgrade();
    // Step 3. The widget toolkit, the counterpart of the common controls. False without a display.
    virtual bool InitCommonControls();
    // Step 4. Hosting of browser controls: nothing to prepare for the embedded web view.
    virtual void EnableControlHosting();
    // Step 5. The name under which the desktop knows the application.
    virtual void SetRegistryKey();
    // Step 6. The skin.
    virtual void LoadSkin();
    // Step 7. The drop-shadow window class.
    virtual void RegisterShadowClass();
    // Step 8. The taskbar identity.
    virtual void SetTaskbarIdentity();
    // Step 9. Creates the launcher frame as the main window (its creation opens the login window).
    virtual void CreateLauncherFrame();
    // Step 10. Centres the launcher and switches it to its login page.
    virtual void ShowLoginPage();
};
