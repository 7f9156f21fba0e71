#pragma once

#include <string>

struct _GMainLoop;

namespace platform {

// The process's application object. Run keeps the raw command line, calls InitInstance and, when
// it answers true and a main window exists, runs the main loop until the main window is
// destroyed; then ExitInstance.
class Application {
public:
    Application();
    virtual ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    static Application* Current();

    // Returns the process exit status.
    int Run(int argc, char** argv);

    // The whole command line as one text, program path included; arguments that hold a space
    // or are empty are quoted, as a shell command line would show them.
    const std::string& CommandLine() const { return m_commandLine; }
    void SetCommandLine(const std::string& commandLine) { m_commandLine = commandLine; }

    // The main window reports its life so the main loop can end with it.
    void MainWindowCreated();
    void MainWindowDestroyed();
    bool HasMainWindow() const { return m_hasMainWindow; }

protected:
    virtual bool InitInstance() = 0;
    // Returns the process exit status: the one set by SetExitCode, 0 by default.
    virtual int ExitInstance() { return m_exitCode; }
    void SetExitCode(int code) { m_exitCode = code; }

    // Opens the display and the widget toolkit. False when there is no display.
    bool InitToolkit();
    bool ToolkitReady() const { return m_toolkitReady; }
    // The name the desktop shows for the application.
    void SetApplicationName(const std::string& name);
    // Program name and window class that the desktop uses to group the windows and to match them
    // with their desktop entry. Must come before the first window.
    void SetProgramClass(const std::string& programClass);

private:
    std::string m_commandLine;
    bool m_toolkitReady { false };
    bool m_hasMainWindow { false };
    int m_exitCode { 0 };
    ::_GMainLoop* m_loop { nullptr };
};

// The command line text for argv, as Application::CommandLine gives it.
std::string JoinCommandLine(int argc, const char* const* argv);

}  // namespace platform
