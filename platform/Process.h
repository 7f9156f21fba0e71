#pragma once

#include <string>
#include <utility>
#include <vector>

namespace platform {

using EnvironmentVariables = std::vector<std::pair<std::string, std::string>>;

// Starts `program` with `arguments` (argv[1] onwards) and the current environment extended by
// `extraEnvironment` (a name given there replaces the inherited value). Does not wait.
// Returns the process id, or -1 when the program could not be started.
int StartProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const EnvironmentVariables& extraEnvironment);

int CurrentProcessId();

// Waits for a process started by StartProcess; returns its exit status, or -1 when it did not
// exit normally.
int WaitForProcess(int pid);

// Does not block: true when a process started by StartProcess has ended. It is then reaped, and
// `exitStatus` (when given) receives its exit status, or -1 when it did not exit normally.
bool TryWaitForProcess(int pid, int* exitStatus);

// Asks a process started by StartProcess to end (SIGTERM), gives it `graceMilliseconds`, then
// kills it (SIGKILL); reaps it either way. Returns its exit status, or -1 when it had to be killed,
// did not exit normally or was no child of ours.
int StopProcess(int pid, int graceMilliseconds);

}  // namespace platform
