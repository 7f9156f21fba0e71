#include "tests/uninstall/ScratchHome.h"

#include <cstdlib>
#include <fstream>

#include "platform/Process.h"

namespace fs = std::filesystem;

namespace uninstalltest {

ScratchHome::ScratchHome() {
    fs::create_directories(Home());
    fs::create_directories(Temporary());
    // The build's programs without whatever else lies in its program directory (a urls.config
    // left by a run of the client, for one).
    fs::create_directories(Bin());
    for (const char* name : { "Tlvc", "TLVUninstall", "skin" }) {
        std::error_code missing;
        if (fs::exists(fs::path(TLV_BIN_DIR) / name, missing))
            fs::create_symlink(fs::path(TLV_BIN_DIR) / name, Bin() / name);
    }
    const std::pair<const char*, fs::path> variables[] = {
        { "HOME", Home() },
        { "XDG_CONFIG_HOME", ConfigHome() },
        { "XDG_DATA_HOME", DataHome() },
        { "TMPDIR", Temporary() },
    };
    for (const auto& [name, value] : variables) m_variables.emplace_back(name, value.string());
}

std::vector<fs::path> ScratchHome::Entries() const {
    return { Desktop() / "Talvane.desktop", Programs() / "Talvane" / "Talvane.desktop",
             Programs() / "Talvane-uninstall.desktop", Autostart() / "Tlvc.desktop" };
}

int ScratchHome::Install(const std::vector<std::string>& arguments, std::string* errors) const {
    const fs::path errorFile = Root() / "install-errors.txt";
    std::vector<std::string> command = { "-c", "exec bash \"$0\" \"$@\" >/dev/null 2>\"$INSTALL_ERRORS\"",
                                         TLV_INSTALL_SCRIPT, "--from", Bin().string() };
    command.insert(command.end(), arguments.begin(), arguments.end());
    int pid = platform::StartProcess("/bin/sh", command, { { "INSTALL_ERRORS", errorFile.string() } });
    if (pid < 0) return -1;
    int status = platform::WaitForProcess(pid);
    if (errors) {
        std::ifstream file(errorFile);
        errors->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    return status;
}

void ScratchHome::Write(const fs::path& path, const std::string& contents) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
}

std::size_t CountWalkedFiles(const fs::path& directory) {
    std::size_t count = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory, error)) {
        if (entry.path().filename().string()[0] == '.') continue;
        if (entry.is_directory() && !entry.is_symlink()) {
            count += CountWalkedFiles(entry.path());
        } else {
            ++count;
        }
    }
    return count;
}

std::size_t CountEntries(const fs::path& directory) {
    std::size_t count = 0;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(directory, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error))
        ++count;
    return count;
}

}  // namespace uninstalltest
