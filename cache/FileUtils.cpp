#include "cache/FileUtils.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "platform/NativePath.h"
#include "platform/Process.h"

namespace fs = std::filesystem;

bool PathExists(const std::string& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(platform::NativePath(path), error));
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    std::string native = platform::NativePath(path);
    std::error_code error;
    if (!fs::is_regular_file(native, error)) return std::nullopt;
    std::ifstream file(native, std::ios::binary);
    if (!file) return std::nullopt;
    std::string data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return std::nullopt;
    return data;
}

bool ReplaceFileContents(const std::string& path, std::string_view data) {
    static std::atomic<unsigned> counter { 0 };
    const fs::path target = platform::NativePath(path);
    const fs::path temporary = target.string() + ".tlvtmp." + std::to_string(platform::CurrentProcessId()) + "." +
                               std::to_string(counter.fetch_add(1));
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) return false;
        file.write(data.data(), static_cast<std::streamsize>(data.size()));
        file.close();
        if (!file) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code error;
    fs::file_status existing = fs::status(target, error);
    if (!error && fs::is_regular_file(existing)) fs::permissions(temporary, existing.permissions(), error);
    fs::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}
