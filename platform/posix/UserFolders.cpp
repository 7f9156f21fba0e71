#include "platform/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <vector>

namespace platform {
namespace {

// The variable's value when it is an absolute path, otherwise nothing.
std::string AbsoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (!value || value[0] != '/') return {};
    return value;
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// One value of user-dirs.dirs: "$HOME/Desktop" or "/abs/path", in double quotes, with shell
// backslash escapes. Anything else is not taken.
std::string UserDirValue(const std::string& line, const std::string& key) {
    std::size_t pos = line.find_first_not_of(" \t");
    if (pos == std::string::npos || line.compare(pos, key.size(), key) != 0) return {};
    pos += key.size();
    if (pos >= line.size() || line[pos] != '=') return {};
    ++pos;
    if (pos >= line.size() || line[pos] != '"') return {};
    std::string raw;
    bool closed = false;
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '\\' && pos + 1 < line.size()) {
            raw += line[++pos];
        } else if (c == '"') {
            closed = true;
            break;
        } else {
            raw += c;
        }
    }
    if (!closed) return {};
    if (raw.compare(0, 5, "$HOME") == 0 && (raw.size() == 5 || raw[5] == '/')) return HomeDirectory() + raw.substr(5);
    if (!raw.empty() && raw[0] == '/') return raw;
    return {};
}

}  // namespace

std::string HomeDirectory() {
    std::string home = AbsoluteVariable("HOME");
    if (!home.empty()) return WithoutTrailingSlashes(home);
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return WithoutTrailingSlashes(found->pw_dir);
    return "/";
}

std::string UserConfigDirectory() {
    std::string value = AbsoluteVariable("XDG_CONFIG_HOME");
    return value.empty() ? HomeDirectory() + "/.config" : WithoutTrailingSlashes(value);
}

std::string UserDataDirectory() {
    std::string value = AbsoluteVariable("XDG_DATA_HOME");
    return value.empty() ? HomeDirectory() + "/.local/share" : WithoutTrailingSlashes(value);
}

std::string DesktopDirectory() {
    std::ifstream file(UserConfigDirectory() + "/user-dirs.dirs");
    std::string line;
    std::string desktop;
    // The last assignment wins, as when the file is sourced by a shell.
    while (std::getline(file, line)) {
        std::string value = UserDirValue(line, "XDG_DESKTOP_DIR");
        if (!value.empty()) desktop = value;
    }
    if (desktop.empty()) return HomeDirectory() + "/Desktop";
    return WithoutTrailingSlashes(desktop);
}

std::string ProgramsDirectory() { return UserDataDirectory() + "/applications"; }

std::string AutostartDirectory() { return UserConfigDirectory() + "/autostart"; }

}  // namespace platform
