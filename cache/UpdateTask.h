#pragma once

#include <string>

// Task states.
inline constexpr int TASK_PENDING = 1;
inline constexpr int TASK_TRANSFERRING = 2;
inline constexpr int TASK_FAILED = 3;
inline constexpr int TASK_DONE = 4;

// Update phases: 0 manifests and single tasks, 1 FileVersion files, 2 Res files, 3 finished.
inline constexpr int PHASE_MANIFESTS = 0;
inline constexpr int PHASE_FILE_VERSION = 1;
inline constexpr int PHASE_RES = 2;
inline constexpr int PHASE_FINISHED = 3;

// One file to fetch into the cache. Paths use "/" until a file is touched.
struct UpdateTask {
    std::string dir;         // path up to and including its last "/"
    std::string fileName;    // path after its last "/"
    std::string prefix;      // naming prefix, may be empty
    std::string version;     // empty for the manifests themselves
    std::string storedName;  // prefix + "_" + fileName, or fileName without a prefix
    std::string extension;   // after the last "." of fileName, may be empty
    int state { TASK_PENDING };
    std::string url;         // without the "?v=" suffix added when the transfer starts
    int phase { PHASE_MANIFESTS };

    // Below the program directory: "update/" + dir, and "update/" + dir + storedName.
    std::string CacheDirectory() const { return "update/" + dir; }
    std::string StoredPath() const { return "update/" + dir + storedName; }
};

// Builds a pending task of phase 0 with an empty URL; the caller sets both.
UpdateTask MakeUpdateTask(const std::string& path, const std::string& prefix, const std::string& version);

// True when `relative` stays inside the directory it is resolved against: not absolute, no drive
// letter, no ".." component, whichever separator it uses. Manifests are operator input; an entry
// that would reach outside the cache is skipped like an entry missing its attributes.
bool StaysInsideCache(const std::string& relative);
