#pragma once

#include <string>

namespace platform {
class ManualResetEvent;
}

// Paths inside the client follow the original separator rules: "\" for files, "/" for URLs and
// the engine's bookkeeping. platform::NativePath turns either into a host path at the moment a
// file is touched, so "\opt\tlv\update\a.swf" names /opt/tlv/update/a.swf.

// `modulePath` cut after its last "\": the directory with its trailing backslash; empty when the
// path holds no "\".
std::string ProgramDirectoryOf(const std::string& modulePath);

// The running executable's directory in the client's form ("\home\ann\tlvc\"), trailing "\" kept.
std::string ProgramDirectory();

// ProgramDirectory() + `relative`, with nothing in between. The working directory is never used.
std::string AppPath(const std::string& relative);

std::string ToBackslashes(std::string path);
std::string ToForwardSlashes(std::string path);

// Removes trailing white space, then one trailing "\".
void StripTrailingBackslash(std::string& path);

// True when an entry exists at `path` (a trailing "\" is ignored) and it is a directory.
bool DirectoryExists(const std::string& path);

// Creates every missing level of `path`; only "\" separates levels (callers convert first). A
// drive root ("C:\") or a network name prefix ("\\") is never created. True when every level was
// there or could be made; levels made before a failure remain.
bool CreateDirectoryPath(const std::string& path);

// Deletes everything inside `directory`, recursively; the directory itself stays. Entries whose
// names begin with "." are kept, so a directory holding one cannot be removed and the walk fails
// there. A symbolic link is removed as a link: the walk never follows one out of the tree.
// Stops at the first entry it cannot delete or when `stopEvent` is signalled (tested after each
// entry); true only when the whole directory was walked without a failure. With `pumpMessages`
// the calling thread's pending messages are dispatched before each entry.
bool DeleteDirectoryContents(const std::string& directory, const platform::ManualResetEvent* stopEvent,
                             bool pumpMessages);

// Resolves `relative` against `base`. "." and ".." are resolved only at the start of `relative`;
// a relative path with a drive letter comes back unchanged. The result uses "\" when either text
// holds one, otherwise "/".
std::string JoinPath(std::string base, std::string relative);
