#include "uninstall/Relocation.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/Process.h"
#include "platform/TempFile.h"

namespace fs = std::filesystem;

namespace {

// The client program an installation holds.
constexpr const char* CLIENT_PROGRAM = "Tlvc";

std::string WithTrailingSlash(std::string directory) {
    if (directory.empty() || directory.back() != '/') directory += '/';
    return directory;
}

}  // namespace

bool IsInsideInstallation(const std::string& programDirectory) {
    if (programDirectory.empty()) return false;
    std::error_code error;
    return fs::is_regular_file(fs::path(programDirectory) / CLIENT_PROGRAM, error);
}

bool IsRelocatedCopy(const std::string& programPath) {
    return fs::path(programPath).filename().string().starts_with(RELOCATED_PREFIX);
}

int StartRelocatedCopy(const std::string& programPath, const std::string& programDirectory) {
    const std::string copy = platform::CreateTempFile(RELOCATED_PREFIX);
    if (copy.empty()) return -1;
    std::error_code error;
    fs::copy_file(programPath, copy, fs::copy_options::overwrite_existing, error);
    if (!error) fs::permissions(copy, fs::perms::owner_all, fs::perm_options::replace, error);
    int pid = -1;
    if (!error)
        pid = platform::StartProcess(copy, {},
                                     { { INSTALL_PATH_VARIABLE, WithTrailingSlash(programDirectory) } });
    if (pid < 0) fs::remove(copy, error);
    return pid;
}

std::string InstallPathFromEnvironment() {
    const char* value = std::getenv(INSTALL_PATH_VARIABLE);
    return value ? value : "";
}
