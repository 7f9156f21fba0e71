#include "uninstall/RemovalJob.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <set>
#include <system_error>
#include <vector>

#include "app/Config.h"
#include "app/IniText.h"
#include "cache/FileUtils.h"
#include "platform/NativePath.h"
#include "platform/UserFolders.h"
#include "platform/VersionResource.h"

namespace fs = std::filesystem;

namespace {

// The names an installation puts on the desktop, in the menus and in the autostart folder.
constexpr const char* PRODUCT_NAME = "Talvane";
constexpr const char* CLIENT_PROGRAM = "Tlvc";
constexpr const char* AUTOSTART_ENTRY = "Tlvc.desktop";
constexpr const char* MENU_ENTRY = "Talvane.desktop";
constexpr const char* DESKTOP_ENTRY = "Talvane.desktop";
constexpr const char* UNINSTALL_ENTRY = "Talvane-uninstall.desktop";
constexpr const char* WEB_SHORTCUT_EXTENSION = ".url";

// web\link.config, written by the installer.
constexpr const char* LINK_CONFIG = "web/link.config";
constexpr const char* LINK_COUNT_SECTION = "DESKTOPICON";
constexpr const char* LINK_COUNT_KEY = "number";
constexpr const char* LINK_SECTION_PREFIX = "WEB";
constexpr const char* LINK_NAME_KEY = "name";

}  // namespace

struct RemovalJobShared {
    fs::path installDirectory;
    fs::path desktop;
    fs::path programs;
    fs::path autostart;
    // Folders an installation can never be: deleting one of them, or anything above one, would
    // take the user's own files.
    std::vector<fs::path> protectedFolders;
    platform::TargetId progressTarget { 0 };
    std::atomic<bool> stop { false };
};

namespace {

bool SameOrBelow(const fs::path& path, const fs::path& folder) {
    auto p = path.begin();
    for (auto f = folder.begin(); f != folder.end(); ++f, ++p) {
        if (f->empty()) continue;  // a trailing separator
        if (p == path.end() || *p != *f) return false;
    }
    return true;
}

bool IsRealDirectory(const fs::path& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type() == fs::file_type::directory;
}

// A file that is no directory: regular files count with their size, links and other entries
// with none. The sizing walk and the deleting walk agree on this, so the last file reaches 100.
double EntrySize(const fs::directory_entry& entry) {
    std::error_code error;
    if (!entry.is_symlink(error) && entry.is_regular_file(error)) {
        auto size = entry.file_size(error);
        if (!error) return static_cast<double>(size);
    }
    return 0.0;
}

// The entries of `directory` that a walk visits, in name order; names beginning with "." are
// never touched, so a folder holding one stays.
std::vector<fs::directory_entry> VisibleEntries(const fs::path& directory, bool& complete) {
    std::vector<fs::directory_entry> entries;
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (!name.empty() && name[0] != '.') entries.push_back(*it);
    }
    complete = !error;
    std::sort(entries.begin(), entries.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path() < b.path(); });
    return entries;
}

bool IsWalkedFolder(const fs::directory_entry& entry) {
    std::error_code error;
    return entry.symlink_status(error).type() == fs::file_type::directory;
}

double TreeSize(const fs::path& directory, const std::atomic<bool>& stop) {
    bool complete = false;
    double total = 0.0;
    for (const auto& entry : VisibleEntries(directory, complete)) {
        if (stop.load()) break;
        total += IsWalkedFolder(entry) ? TreeSize(entry.path(), stop) : EntrySize(entry);
    }
    return total;
}

// Progress of the deleting walk of the installation directory.
class ProgressReporter {
public:
    ProgressReporter(platform::TargetId target, double total) : m_target(target), m_total(total) {}

    void FileDeleting(double size) {
        m_deleted += size;
        // All files empty: the share has no meaning; stay at 0 until the final 100.
        int percent = m_total > 0.0 ? static_cast<int>(m_deleted * 100.0 / m_total) : 0;
        // A file that grew after the sizing walk must not carry the bar past its end, and the
        // bar never goes back.
        percent = std::clamp(percent, m_lastPercent, 100);
        m_lastPercent = percent;
        Post(percent);
    }

    void Post(int percent) const {
        // No payload: the percentage travels in wParam.
        platform::MessageQueue::Instance().Post(m_target, WM_REMOVAL_PROGRESS, static_cast<std::uintptr_t>(percent), 0);
    }

private:
    platform::TargetId m_target;
    double m_total;
    double m_deleted { 0.0 };
    int m_lastPercent { 0 };
};

// Deletes everything inside `directory` except dot-named entries (the directory itself stays).
// A file that cannot be deleted ends the walk of its own directory with failure; a folder whose
// walk failed is left and the walk goes on (but the result is failure, as the folder is still
// there). Links are deleted as links, never followed. False when `directory` is no directory.
bool DeleteTree(const fs::path& directory, ProgressReporter* progress, const std::atomic<bool>& stop) {
    if (!IsRealDirectory(directory)) return false;
    bool complete = false;
    std::vector<fs::directory_entry> entries = VisibleEntries(directory, complete);
    bool succeeded = complete;
    for (const auto& entry : entries) {
        if (stop.load()) return false;
        std::error_code error;
        if (IsWalkedFolder(entry)) {
            if (!DeleteTree(entry.path(), progress, stop)) {
                succeeded = false;
                continue;
            }
            if (!fs::remove(entry.path(), error) || error) return false;
            continue;
        }
        if (progress) progress->FileDeleting(EntrySize(entry));
        if (!fs::remove(entry.path(), error) || error) return false;
    }
    return succeeded;
}

// Removes a folder whose contents are gone. The original cleared the folder's attributes first;
// here that is giving the owner full access to it, which its removal needs on some file systems.
void RemoveEmptiedFolder(const fs::path& folder) {
    std::error_code error;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove(folder, error);
}

// Removes one named entry (a desktop entry or shortcut); a directory of that name is left alone.
void RemoveEntryFile(const fs::path& path) {
    std::error_code error;
    if (fs::symlink_status(path, error).type() == fs::file_type::directory) return;
    fs::remove(path, error);
}

// The WEB%d sections of link.config that can hold a name: every header "[WEB<n>]" of the file
// with n written as %d writes it and below `count`. Reading only these visits the same sections
// as asking for WEB0 to WEB<count-1> one by one, without a walk of two thousand million empty
// questions when the count is huge.
std::set<long long> LinkSections(const std::string& text, int count) {
    std::set<long long> sections;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        std::size_t open = line.find_first_not_of(" \t\r\v\f");
        std::size_t close = line.rfind(']');
        if (open == std::string::npos || line[open] != '[' || close == std::string::npos || close <= open) continue;
        std::string name = line.substr(open + 1, close - open - 1);
        name.erase(0, name.find_first_not_of(" \t"));
        name.erase(name.find_last_not_of(" \t") + 1);
        if (name.size() < 4 || name.size() > 13) continue;
        bool prefix = true;
        for (std::size_t i = 0; i < 3; ++i)
            prefix = prefix && (name[i] == LINK_SECTION_PREFIX[i] || name[i] == LINK_SECTION_PREFIX[i] + ('a' - 'A'));
        if (!prefix) continue;
        std::string digits = name.substr(3);
        if (digits.find_first_not_of("0123456789") != std::string::npos) continue;
        if (digits.size() > 1 && digits[0] == '0') continue;
        long long index = std::stoll(digits);
        if (index < count) sections.insert(index);
    }
    return sections;
}

void RemoveWebShortcuts(const RemovalJobShared& job) {
    auto text = ReadWholeFile((job.installDirectory / LINK_CONFIG).string());
    if (!text) return;
    IniText ini(std::move(*text));
    auto countText = ini.Get(LINK_COUNT_SECTION, LINK_COUNT_KEY);
    int count = countText && !countText->empty() ? ParseProfileInt(*countText) : 0;
    for (long long index : LinkSections(ini.Text(), count)) {
        std::string name =
            ini.Get(std::string(LINK_SECTION_PREFIX) + std::to_string(index), LINK_NAME_KEY).value_or(std::string());
        // A name is a file in the desktop folder, never a path out of it.
        if (name.empty() || name.find_first_of("/\\") != std::string::npos) continue;
        RemoveEntryFile(job.desktop / (name + WEB_SHORTCUT_EXTENSION));
    }
}

void RemoveStartMenuFolder(const RemovalJobShared& job) {
    fs::path folder = job.programs / PRODUCT_NAME;
    if (!IsRealDirectory(folder)) return;
    // The original left the emptied folder behind after a complete delete; an empty menu folder
    // is still an entry of the product, so it goes either way.
    DeleteTree(folder, nullptr, job.stop);
    RemoveEmptiedFolder(folder);
}

// True when `directory` is an installation of the client: it holds the client program (ours, by
// the version record it carries), and it is none of the user's own folders nor above one.
bool IsClientInstallation(const RemovalJobShared& job, const fs::path& directory) {
    if (!IsRealDirectory(directory)) return false;
    std::error_code error;
    fs::path program = directory / CLIENT_PROGRAM;
    if (fs::symlink_status(program, error).type() != fs::file_type::regular) return false;
    platform::ProductVersion version {};
    if (!platform::ReadProductVersion(program.string(), version)) return false;
    for (const fs::path& folder : job.protectedFolders) {
        if (SameOrBelow(folder, directory)) return false;
    }
    return true;
}

void RemoveInstallation(const RemovalJobShared& job) {
    std::error_code error;
    if (job.installDirectory.empty()) return;
    // The tree is walked where it really lies, so that the checks below see the real place.
    fs::path directory = fs::canonical(job.installDirectory, error);
    if (error || !IsClientInstallation(job, directory)) return;

    ProgressReporter progress(job.progressTarget, TreeSize(directory, job.stop));
    if (DeleteTree(directory, &progress, job.stop)) RemoveEmptiedFolder(directory);
}

void Run(const std::shared_ptr<RemovalJobShared>& shared) {
    const RemovalJobShared& job = *shared;
    // Each step runs whatever became of the one before; only the end of the process cuts in.
    RemoveEntryFile(job.autostart / AUTOSTART_ENTRY);
    if (job.stop.load()) return;
    if (!job.installDirectory.empty()) RemoveWebShortcuts(job);
    if (job.stop.load()) return;
    // Unpinning from the taskbar has no counterpart on this desktop.
    RemoveStartMenuFolder(job);
    if (job.stop.load()) return;
    RemoveEntryFile(job.desktop / DESKTOP_ENTRY);
    RemoveEntryFile(job.programs / UNINSTALL_ENTRY);
    if (job.stop.load()) return;
    RemoveInstallation(job);
    if (job.stop.load()) return;
    ProgressReporter(job.progressTarget, 0.0).Post(100);
}

fs::path Normalised(const std::string& path) {
    if (path.empty()) return {};
    return fs::path(path).lexically_normal();
}

}  // namespace

RemovalJob::RemovalJob() : m_shared(std::make_shared<RemovalJobShared>()) {}

RemovalJob::~RemovalJob() {
    m_shared->stop.store(true);
    Join();
}

void RemovalJob::Prepare(const std::string& installDirectory) {
    if (IsStarted()) return;
    RemovalJobShared& job = *m_shared;
    // A blank or relative directory would name the working directory's files: nothing to remove.
    std::string native = platform::NativePath(installDirectory);
    job.installDirectory = !native.empty() && native[0] == '/' ? Normalised(native) : fs::path();
    job.desktop = platform::DesktopDirectory();
    job.programs = platform::ProgramsDirectory();
    job.autostart = platform::AutostartDirectory();

    job.protectedFolders.clear();
    std::error_code error;
    for (const std::string& folder :
         { platform::HomeDirectory(), platform::UserConfigDirectory(), platform::UserDataDirectory(),
           platform::DesktopDirectory(), platform::ProgramsDirectory(), platform::AutostartDirectory(),
           fs::temp_directory_path(error).string() }) {
        if (folder.empty()) continue;
        fs::path resolved = fs::weakly_canonical(folder, error);
        job.protectedFolders.push_back(error ? Normalised(folder) : resolved);
    }
}

bool RemovalJob::Start(platform::TargetId progressTarget) {
    if (m_started) return false;
    m_shared->progressTarget = progressTarget;
    try {
        m_worker = std::thread(Run, m_shared);
    } catch (const std::system_error&) {
        return false;
    }
    m_started = true;
    return true;
}

void RemovalJob::Join() {
    if (m_worker.joinable()) m_worker.join();
}
