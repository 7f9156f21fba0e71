#pragma once

#include <filesystem>
#include <string>

namespace test {

// A fresh directory below the system's temporary directory, removed with everything in it when
// the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // Host path of `relative` inside the directory.
    std::filesystem::path operator/(const std::string& relative) const { return m_path / relative; }

    // Writes a file (creating its directories) and returns its host path.
    std::filesystem::path Write(const std::string& relative, const std::string& contents) const;
    std::string Read(const std::string& relative) const;

private:
    std::filesystem::path m_path;
};

// The client's own form of a host path ("\" separators), as ProgramDirectory gives it.
std::string ClientPath(const std::filesystem::path& path);

}  // namespace test
