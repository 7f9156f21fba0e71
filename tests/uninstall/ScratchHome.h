#pragma once

#include <filesystem>
#include <list>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "tests/uninstall/ScopedVariable.h"

namespace uninstalltest {

// A user's home in a temporary directory: HOME, XDG_CONFIG_HOME, XDG_DATA_HOME and TMPDIR point
// into it while the object lives (the previous values come back afterwards). Install() runs the
// real installer (tools/install.sh) with the programs of the build.
class ScratchHome {
public:
    ScratchHome();
    ScratchHome(const ScratchHome&) = delete;
    ScratchHome& operator=(const ScratchHome&) = delete;

    const std::filesystem::path& Root() const { return m_dir.Path(); }
    std::filesystem::path Home() const { return Root() / "home"; }
    std::filesystem::path Desktop() const { return Home() / "Desktop"; }
    std::filesystem::path DataHome() const { return Home() / ".local/share"; }
    std::filesystem::path ConfigHome() const { return Home() / ".config"; }
    std::filesystem::path Programs() const { return DataHome() / "applications"; }
    std::filesystem::path Autostart() const { return ConfigHome() / "autostart"; }
    std::filesystem::path Temporary() const { return Root() / "tmp"; }
    // The programs the installer copies: the build's client, uninstaller and skin.
    std::filesystem::path Bin() const { return Root() / "bin"; }
    // Where Install() puts the client when it is given no folder.
    std::filesystem::path DefaultInstallation() const { return DataHome() / "talvane"; }

    // The five entries an installation adds outside its folder (web shortcuts aside).
    std::vector<std::filesystem::path> Entries() const;

    // Runs the installer with `arguments`; its exit status (0 on success), with its error output
    // in `errors` when given.
    int Install(const std::vector<std::string>& arguments = {}, std::string* errors = nullptr) const;

    static void Write(const std::filesystem::path& path, const std::string& contents);

private:
    test::TempDir m_dir;
    std::list<ScopedVariable> m_variables;
};

// Every entry below `directory` that the removal walk counts as a file (dot-named ones and what
// lies below dot-named folders excepted), and every entry at all.
std::size_t CountWalkedFiles(const std::filesystem::path& directory);
std::size_t CountEntries(const std::filesystem::path& directory);

}  // namespace uninstalltest
