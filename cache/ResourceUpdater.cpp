#include "cache/ResourceUpdater.h"

#include <tinyxml.h>

#include <filesystem>
#include <system_error>

#include "app/Config.h"
#include "cache/FileUtils.h"
#include "cache/PathUtils.h"
#include "platform/NativePath.h"

namespace fs = std::filesystem;

namespace {

// FileVersion entries that keep their plain names, so the game page finds the loaders under one
// path whatever their content tag.
bool IsLoaderMovie(const std::string& name) {
    return name == "assets/loader_new_simplified.swf" || name == "Talvane.swf";
}

std::string ClientPath(const std::string& relative) { return ToBackslashes(AppPath(relative)); }

}  // namespace

template <typename Visit>
void ResourceUpdater::ReadManifest(const std::string& relative, Visit visit) const {
    auto text = ReadWholeFile(ClientPath(relative));
    if (!text) return;
    TiXmlDocument document;
    document.Parse(text->c_str(), nullptr, TIXML_ENCODING_UTF8);
    if (document.Error()) return;
    const TiXmlElement* root = document.RootElement();
    if (!root) return;
    for (const TiXmlElement* entry = root->FirstChildElement(); entry; entry = entry->NextSiblingElement()) {
        visit(*entry);
    }
}

void ResourceUpdater::LoadLocalVersions() {
    auto remember = [this](const TiXmlElement& entry) {
        const char* name = entry.Attribute("name");
        const char* version = entry.Attribute("version");
        if (name && version) LocalVersions[name] = version;
    };
    ReadManifest(std::string("update/") + FILE_VERSION_NAME, remember);
    ReadManifest(std::string("update/") + RES_PATH, remember);
}

std::vector<UpdateTask> ResourceUpdater::MakeManifestTasks() const {
    const std::string root = ReadConfigString(config::RESOURCE_URL_UPDATE);
    UpdateTask fileVersion = MakeUpdateTask(FILE_VERSION_NAME, "", "");
    fileVersion.url = root + FILE_VERSION_REMOTE_DIR + FILE_VERSION_NAME;
    UpdateTask res = MakeUpdateTask(RES_PATH, "", "");
    res.url = root + res.dir + res.fileName;
    return {fileVersion, res};
}

void ResourceUpdater::AddFileVersionEntries(const std::string& storedName) {
    AddEntries("update/" + storedName, PHASE_FILE_VERSION);
}

void ResourceUpdater::AddResEntries(const std::string& relativePath) { AddEntries("update/" + relativePath, PHASE_RES); }

void ResourceUpdater::AddEntries(const std::string& relative, int entryPhase) {
    const std::string root = ReadConfigString(config::RESOURCE_URL_UPDATE);
    const bool fileVersion = entryPhase == PHASE_FILE_VERSION;
    ReadManifest(relative, [&](const TiXmlElement& entry) {
        const char* name = entry.Attribute("name");
        const char* version = entry.Attribute("version");
        const char* md5 = fileVersion ? entry.Attribute("md5") : "";
        if (!name || !version || !md5) return;

        std::string prefix = fileVersion ? (IsLoaderMovie(name) ? "" : md5) : version;
        UpdateTask task = MakeUpdateTask(name, prefix, version);
        if (!StaysInsideCache(name) || !StaysInsideCache(task.dir + task.storedName)) return;

        auto known = LocalVersions.find(name);
        bool changed = known != LocalVersions.end() && known->second != task.version;
        if (!changed && PathExists(ClientPath(task.StoredPath()))) return;
        if (task.extension.empty()) return;
        if (tasks.size() >= MAX_TASKS) return;  // fetched by a later run: its file is still missing

        ++totalCount;
        if (fileVersion) ++fileVersionCount;
        task.url = root + task.dir + (fileVersion ? task.storedName : task.fileName);
        task.phase = entryPhase;
        tasks.push_back(std::move(task));
    });
}

void ResourceUpdater::StartRun() {
    if (started) return;
    m_cacheListings.clear();
    LoadLocalVersions();
    for (UpdateTask& task : MakeManifestTasks()) AddTask(task);
    started = true;
    EnterPhase(PHASE_MANIFESTS);
}

void ResourceUpdater::ResetTasks() {
    m_cacheListings.clear();
    started = false;
    cursor = 0;
    tasks.clear();
}

bool ResourceUpdater::AddTask(const UpdateTask& task) {
    if (tasks.size() >= MAX_TASKS) return false;
    tasks.push_back(task);
    return true;
}

UpdateTask* ResourceUpdater::NextPendingTask(bool otherPhase) {
    for (std::size_t i = cursor; i < tasks.size(); ++i) {
        if (tasks[i].state != TASK_PENDING) continue;
        if ((tasks[i].phase == phase) == otherPhase) return nullptr;
        cursor = i;
        return &tasks[i];
    }
    return nullptr;
}

void ResourceUpdater::OnTaskDownloaded(std::size_t index, const std::string& body) {
    if (index >= tasks.size() || tasks[index].state != TASK_TRANSFERRING) return;
    const UpdateTask task = tasks[index];

    // Written beside the stored path and renamed over it: a reader of the cache (or a crash)
    // sees the old file or the new one, never a part.
    ReplaceFileContents(ClientPath(task.StoredPath()), body);
    auto listing = m_cacheListings.find(platform::NativePath(ClientPath(task.CacheDirectory())));
    if (listing != m_cacheListings.end()) listing->second.insert(task.storedName);

    if (task.extension == "xml") {
        if (task.fileName == FILE_VERSION_NAME) {
            AddFileVersionEntries(task.storedName);
        } else if (task.fileName == RES_NAME) {
            AddResEntries(task.dir + task.storedName);
        }
    } else if (task.extension == "swf" || task.extension == "tlvc" || task.extension == "png") {
        PruneOldVersions(task);
        ++doneCount;
    } else if (task.extension == "exe") {
        WriteConfigInt(config::UPGRADE_NEED, 1);
        WriteConfigString(config::UPGRADE_EXE, task.storedName);
    }

    tasks[index].state = TASK_DONE;
    if (task.phase == PHASE_FILE_VERSION || task.phase == PHASE_RES) EnterPhase(task.phase);
}

void ResourceUpdater::OnTaskFailed(std::size_t index) {
    if (index >= tasks.size() || tasks[index].state != TASK_TRANSFERRING) return;
    UpdateTask& task = tasks[index];
    task.state = TASK_FAILED;
    if (task.phase != PHASE_MANIFESTS) ++doneCount;
    if (task.phase == PHASE_FILE_VERSION || task.phase == PHASE_RES) EnterPhase(task.phase);
}

std::set<std::string>& ResourceUpdater::CacheListing(const std::string& directory) {
    auto found = m_cacheListings.find(directory);
    if (found != m_cacheListings.end()) return found->second;
    std::set<std::string>& names = m_cacheListings[directory];
    std::error_code error;
    for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
        names.insert(it->path().filename().string());
    }
    return names;
}

void ResourceUpdater::PruneOldVersions(const UpdateTask& task) {
    const std::string directory = platform::NativePath(ClientPath(task.CacheDirectory()));
    const std::string suffix = "_" + task.fileName;
    std::set<std::string>& names = CacheListing(directory);
    names.insert(task.storedName);
    for (auto it = names.begin(); it != names.end();) {
        const std::string& name = *it;
        bool candidate = !name.empty() && name[0] != '.' && name != task.storedName && name.size() >= suffix.size() &&
                         name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
        if (!candidate) {
            ++it;
            continue;
        }
        // Files only: a directory of a matching name stays, as does the name in the listing.
        const fs::path path = fs::path(directory) / name;
        std::error_code error;
        fs::file_status status = fs::symlink_status(path, error);
        if (!error && fs::is_directory(status)) {
            ++it;
            continue;
        }
        fs::remove(path, error);
        it = names.erase(it);
    }
}

void ResourceUpdater::EnterPhase(int newPhase) {
    phase = newPhase;
    if (m_listener) m_listener->OnUpdateProgress(phase, doneCount);
}
