#include "platform/TempFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <vector>

namespace platform {

std::string TempDirectory() {
    // Read at every call (not cached), so a changed TMPDIR counts at once.
    const char* tmp = getenv("TMPDIR");
    std::string directory = tmp && *tmp == '/' ? tmp : "/tmp";
    while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
    return directory;
}

std::string CreateTempFile(const std::string& prefix) {
    if (prefix.find('/') != std::string::npos) return {};
    std::string pattern = TempDirectory() + "/" + prefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return {};
    close(fd);
    return std::string(name.data());
}

}  // namespace platform
