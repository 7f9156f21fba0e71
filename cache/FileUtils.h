#pragma once

#include <optional>
#include <string>
#include <string_view>

// Whole-file reads and writes on the client's own paths ("\" or "/"; see PathUtils.h).

// True when any entry (file, directory, link) exists at `path`.
bool PathExists(const std::string& path);

// The file's bytes, or nothing when it cannot be read (missing, a directory, no permission).
std::optional<std::string> ReadWholeFile(const std::string& path);

// Writes `data` to a new file beside `path` in one write and renames it over `path`, so a reader
// (or a crash) sees the old contents or the new ones, never a mix. The directory must exist.
// An existing file keeps its permission bits.
bool ReplaceFileContents(const std::string& path, std::string_view data);
