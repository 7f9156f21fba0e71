#pragma once

#include <string>

namespace platform {

// Full native path of the running executable.
std::string ExecutablePath();

// Makes ExecutablePath() answer `path` (tests lay out a program directory of their own).
// An empty path restores the real answer.
void OverrideExecutablePath(const std::string& path);

}  // namespace platform
