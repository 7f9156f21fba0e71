#include "platform/Application.h"

#include <gtk/gtk.h>

#include "platform/MessageLoop.h"

namespace platform {
namespace {

Application* current = nullptr;

}  // namespace

std::string JoinCommandLine(int argc, const char* const* argv) {
    std::string line;
    for (int i = 0; i < argc; ++i) {
        std::string argument = argv[i] ? argv[i] : "";
        if (i > 0) line += ' ';
        bool quote = argument.empty() || argument.find_first_of(" \t") != std::string::npos;
        line += quote ? "\"" + argument + "\"" : argument;
    }
    return line;
}

Application::Application() { current = this; }

Application::~Application() {
    if (current == this) current = nullptr;
    if (m_loop) g_main_loop_unref(m_loop);
}

Application* Application::Current() { return current; }

int Application::Run(int argc, char** argv) {
    m_commandLine = JoinCommandLine(argc, argv);
    AttachMessageQueueToMainLoop();
    if (InitInstance() && m_hasMainWindow) {
        m_loop = g_main_loop_new(nullptr, FALSE);
        g_main_loop_run(m_loop);
    }
    return ExitInstance();
}

void Application::MainWindowCreated() { m_hasMainWindow = true; }

void Application::MainWindowDestroyed() {
    m_hasMainWindow = false;
    if (m_loop && g_main_loop_is_running(m_loop)) g_main_loop_quit(m_loop);
}

bool Application::InitToolkit() {
    if (!m_toolkitReady) m_toolkitReady = gtk_init_check(nullptr, nullptr);
    return m_toolkitReady;
}

void Application::SetApplicationName(const std::string& name) { g_set_application_name(name.c_str()); }

void Application::SetProgramClass(const std::string& programClass) {
    g_set_prgname(programClass.c_str());
    gdk_set_program_class(programClass.c_str());
}

}  // namespace platform
