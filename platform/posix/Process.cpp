#include "platform/Process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <set>
#include <thread>

extern char** environ;

namespace platform {

int StartProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const EnvironmentVariables& extraEnvironment) {
    std::vector<std::string> environment;
    std::set<std::string> replaced;
    for (const auto& [name, value] : extraEnvironment) replaced.insert(name);
    for (char** entry = environ; entry && *entry; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        std::string name = equals ? std::string(*entry, static_cast<std::size_t>(equals - *entry)) : std::string(*entry);
        if (!replaced.count(name)) environment.emplace_back(*entry);
    }
    for (const auto& [name, value] : extraEnvironment) environment.push_back(name + "=" + value);

    std::vector<char*> envp;
    for (auto& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);

    std::vector<std::string> argvStrings;
    argvStrings.push_back(program);
    argvStrings.insert(argvStrings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& argument : argvStrings) argv.push_back(argument.data());
    argv.push_back(nullptr);

    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
    return static_cast<int>(pid);
}

int CurrentProcessId() { return static_cast<int>(getpid()); }

int WaitForProcess(int pid) {
    int status = 0;
    pid_t result;
    do {
        result = waitpid(static_cast<pid_t>(pid), &status, 0);
    } while (result < 0 && errno == EINTR);
    if (result < 0 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

bool TryWaitForProcess(int pid, int* exitStatus) {
    int status = 0;
    pid_t result;
    do {
        result = waitpid(static_cast<pid_t>(pid), &status, WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == 0) return false;
    if (exitStatus) *exitStatus = (result > 0 && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
    return true;  // ended, or no child of ours to wait for
}

int StopProcess(int pid, int graceMilliseconds) {
    if (pid <= 0) return -1;
    int exitStatus = -1;
    if (TryWaitForProcess(pid, &exitStatus)) return exitStatus;
    kill(static_cast<pid_t>(pid), SIGTERM);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(graceMilliseconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (TryWaitForProcess(pid, &exitStatus)) return exitStatus;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    kill(static_cast<pid_t>(pid), SIGKILL);
    WaitForProcess(pid);
    return -1;
}

}  // namespace platform
