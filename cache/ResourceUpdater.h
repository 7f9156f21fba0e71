#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "cache/UpdateTask.h"

// Told of every phase change of an update run.
class UpdateListener {
public:
    virtual ~UpdateListener() = default;
    virtual void OnUpdateProgress(int phase, int doneCount) = 0;
};

// Keeps the resource cache ("update/" below the program directory) in step with the resource
// host: the two manifests name the files and their versions, and every file that changed since
// the previous run is fetched, committed and its superseded versions deleted. Runs on the
// user-interface thread; the transfers themselves are started by UpdateScheduler.
class ResourceUpdater {
public:
    // Transfer ids carry a task index in 16 bits, so a run holds at most this many tasks.
    static constexpr std::size_t MAX_TASKS = 65536;

    // Manifest locations, remote (below the resource root) and local (below the program directory).
    static constexpr const char* FILE_VERSION_NAME = "FileVersion.xml";
    static constexpr const char* RES_NAME = "Res.xml";
    static constexpr const char* FILE_VERSION_REMOTE_DIR = "config/";
    static constexpr const char* RES_PATH = "config/simplified/Res.xml";

    ResourceUpdater() = default;
    ResourceUpdater(const ResourceUpdater&) = delete;
    ResourceUpdater& operator=(const ResourceUpdater&) = delete;

    void SetListener(UpdateListener* listener) { m_listener = listener; }

    // Fills LocalVersions from the copies of the manifests stored by the previous run.
    void LoadLocalVersions();
    // The two manifest tasks: FileVersion, then Res.
    std::vector<UpdateTask> MakeManifestTasks() const;
    // Appends the tasks of a freshly stored FileVersion manifest ("update/" + storedName) that
    // must be fetched, as phase 1.
    void AddFileVersionEntries(const std::string& storedName);
    // The same for Res ("update/" + relativePath), as phase 2.
    void AddResEntries(const std::string& relativePath);

    // Queues the manifests and reports phase 0, once until ResetTasks.
    void StartRun();
    // Empties the task list for a new run; the versions, counters and phase stay.
    void ResetTasks();
    // Appends a task; false when the list is full.
    bool AddTask(const UpdateTask& task);
    // The first pending task from the cursor on, if its phase is the current one (`otherPhase`
    // false) or another one (true); moves the cursor to it. Nothing otherwise.
    UpdateTask* NextPendingTask(bool otherPhase);
    // Commits a received file; a result for a task that is not transferring is ignored.
    void OnTaskDownloaded(std::size_t index, const std::string& body);
    void OnTaskFailed(std::size_t index);
    // Deletes the other cached versions of a committed file: every "*_" + fileName in its
    // directory but its own stored name.
    void PruneOldVersions(const UpdateTask& task);

    // Sets the phase and tells the listener.
    void EnterPhase(int phase);

    // Fields, named as the rest of the client refers to them.
    std::vector<UpdateTask> tasks;
    std::map<std::string, std::string> LocalVersions;
    std::size_t cursor { 0 };
    int phase { PHASE_MANIFESTS };
    int totalCount { 0 };
    int fileVersionCount { 0 };
    int doneCount { 0 };
    bool started { false };

private:
    template <typename Visit>
    void ReadManifest(const std::string& relative, Visit visit) const;
    void AddEntries(const std::string& relative, int entryPhase);

    // The names in one cache directory, read once per run on its first pruning and kept in step
    // with what the run commits and deletes there, so pruning does not list a directory of
    // thousands of files again for every file committed into it.
    std::set<std::string>& CacheListing(const std::string& directory);

    UpdateListener* m_listener { nullptr };
    std::map<std::string, std::set<std::string>> m_cacheListings;
};
