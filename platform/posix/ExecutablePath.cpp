#include "platform/ExecutablePath.h"

#include <limits.h>
#include <unistd.h>

#include <mutex>

namespace platform {
namespace {

std::mutex overrideMutex;
std::string overridePath;

}  // namespace

std::string ExecutablePath() {
    {
        std::lock_guard lock(overrideMutex);
        if (!overridePath.empty()) return overridePath;
    }
    // Unlike the 260-character module name of the original platform, the path is never cut: a
    // shortened path would name another directory.
    std::string buffer(PATH_MAX, '\0');
    ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length <= 0) return {};
    buffer.resize(static_cast<size_t>(length));
    return buffer;
}

void OverrideExecutablePath(const std::string& path) {
    std::lock_guard lock(overrideMutex);
    overridePath = path;
}

}  // namespace platform
