#include "cache/UpdateTask.h"

UpdateTask MakeUpdateTask(const std::string& path, const std::string& prefix, const std::string& version) {
    UpdateTask task;
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        task.fileName = path;
    } else {
        task.dir = path.substr(0, slash + 1);
        task.fileName = path.substr(slash + 1);
    }
    task.prefix = prefix;
    task.version = version;
    task.storedName = prefix.empty() ? task.fileName : prefix + "_" + task.fileName;
    std::size_t dot = task.fileName.rfind('.');
    if (dot != std::string::npos) task.extension = task.fileName.substr(dot + 1);
    return task;
}

bool StaysInsideCache(const std::string& relative) {
    if (relative.empty()) return true;
    if (relative.front() == '/' || relative.front() == '\\') return false;
    if (relative.size() >= 2 && relative[1] == ':') return false;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = relative.find_first_of("/\\", start);
        std::string component = relative.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (component == "..") return false;
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}
