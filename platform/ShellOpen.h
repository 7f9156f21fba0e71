#pragma once

#include <functional>
#include <string>

namespace platform {

// Opens a web address or a folder with the desktop's default handler (the original "open" verb,
// shown normally). False when nothing could be started. User-interface thread.
bool ShellOpen(const std::string& target);

// Replaces what ShellOpen does while the object lives, so tests can record the calls instead of
// starting a browser.
class ScopedShellOpener {
public:
    explicit ScopedShellOpener(std::function<bool(const std::string&)> opener);
    ~ScopedShellOpener();
    ScopedShellOpener(const ScopedShellOpener&) = delete;
    ScopedShellOpener& operator=(const ScopedShellOpener&) = delete;

private:
    std::function<bool(const std::string&)> m_previous;
};

}  // namespace platform
