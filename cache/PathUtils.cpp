#include "cache/PathUtils.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <vector>

#include "cache/FileUtils.h"
#include "platform/ExecutablePath.h"
#include "platform/ManualResetEvent.h"
#include "platform/MessageLoop.h"
#include "platform/NativePath.h"

namespace fs = std::filesystem;

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Deletes one entry of a walk. A real directory is emptied first and then removed.
bool DeleteEntry(const fs::path& entry, const platform::ManualResetEvent* stopEvent, bool pumpMessages) {
    std::error_code error;
    fs::file_status status = fs::symlink_status(entry, error);
    if (error) return false;
    if (fs::is_directory(status)) {
        if (!DeleteDirectoryContents(entry.string(), stopEvent, pumpMessages)) return false;
        return fs::remove(entry, error) && !error;
    }
    return fs::remove(entry, error) && !error;
}

}  // namespace

std::string ProgramDirectoryOf(const std::string& modulePath) {
    std::size_t last = modulePath.rfind('\\');
    if (last == std::string::npos) return {};
    return modulePath.substr(0, last + 1);
}

std::string ProgramDirectory() { return ProgramDirectoryOf(ToBackslashes(platform::ExecutablePath())); }

std::string AppPath(const std::string& relative) { return ProgramDirectory() + relative; }

std::string ToBackslashes(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string ToForwardSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

void StripTrailingBackslash(std::string& path) {
    while (!path.empty() && std::isspace(static_cast<unsigned char>(path.back()))) path.pop_back();
    if (!path.empty() && path.back() == '\\') path.pop_back();
}

bool DirectoryExists(const std::string& path) {
    std::string stripped = path;
    StripTrailingBackslash(stripped);
    if (stripped.empty()) return false;
    std::error_code error;
    return fs::is_directory(platform::NativePath(stripped), error);
}

bool CreateDirectoryPath(const std::string& path) {
    std::string rest = path;
    StripTrailingBackslash(rest);
    std::string prefix;

    std::size_t root = rest.find(":\\");
    if (root != std::string::npos) {
        prefix = rest.substr(0, root + 2);
        rest.erase(0, root + 2);
    } else if ((root = rest.find("\\\\")) != std::string::npos) {
        prefix = rest.substr(0, root + 2);
        rest.erase(0, root + 2);
    }

    while (!rest.empty()) {
        std::size_t end = rest.size() <= 1 ? std::string::npos : rest.find('\\', 1);
        std::size_t length = end == std::string::npos ? rest.size() : end;
        prefix += rest.substr(0, length);
        rest.erase(0, length);
        if (PathExists(prefix)) continue;
        std::error_code error;
        std::string native = platform::NativePath(prefix);
        // Another thread may make the same level at the same moment; that is no failure.
        if (!fs::create_directory(native, error) && !fs::is_directory(native, error)) return false;
    }
    return true;
}

bool DeleteDirectoryContents(const std::string& directory, const platform::ManualResetEvent* stopEvent,
                             bool pumpMessages) {
    if (!DirectoryExists(directory)) return false;
    if (stopEvent && stopEvent->IsSet()) return false;

    std::string native = directory;
    StripTrailingBackslash(native);
    std::error_code error;
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(platform::NativePath(native), error), end; !error && it != end;
         it.increment(error)) {
        std::string name = it->path().filename().string();
        if (!name.empty() && name[0] != '.') entries.push_back(it->path());
    }
    if (error) return false;
    std::sort(entries.begin(), entries.end());

    for (const fs::path& entry : entries) {
        if (pumpMessages) platform::PumpPendingMessages();
        if (!DeleteEntry(entry, stopEvent, pumpMessages)) return false;
        if (stopEvent && stopEvent->IsSet()) return false;
    }
    return true;
}

std::string JoinPath(std::string base, std::string relative) {
    if (relative.size() >= 2 && relative[1] == ':') return relative;

    const bool backslash =
        base.find('\\') != std::string::npos || relative.find('\\') != std::string::npos;
    const char separator = backslash ? '\\' : '/';

    std::string drive;
    if (base.size() >= 2 && base[1] == ':') {
        drive = base.substr(0, 2);
        base.erase(0, 2);
    }
    if (!base.empty() && !IsSeparator(base.back())) base += separator;

    while (!base.empty()) {
        std::size_t cut = relative.find_first_of("\\/");
        if (cut == std::string::npos) break;
        std::string component = relative.substr(0, cut);
        relative.erase(0, cut + 1);

        if (component == ".") continue;
        if (component == "..") {
            // base ends with a separator here; its last component lies between the one before
            // and that trailing separator.
            std::size_t previous = base.find_last_of("\\/", base.size() - 2);
            std::size_t start = previous == std::string::npos ? 0 : previous + 1;
            std::string last = base.substr(start, base.size() - 1 - start);
            if (last == "..") {
                base += "..";
                base += separator;
            } else if (!last.empty()) {
                base.erase(start);
            }
            // A bare root keeps its place: there is nothing above it to remove.
            continue;
        }
        if (component.empty()) {
            base = std::string(1, separator);
            break;
        }
        base += component;
        base += separator;
        break;
    }

    std::string result = base + relative;
    const char other = backslash ? '/' : '\\';
    std::replace(result.begin(), result.end(), other, separator);
    return drive + result;
}
