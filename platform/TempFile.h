#pragma once

#include <string>

namespace platform {

// The user's temporary directory ($TMPDIR, else /tmp), without a trailing "/".
std::string TempDirectory();

// Creates a new, empty file in the temporary directory whose name begins with `prefix` and ends
// in characters chosen to make it unique; only the user can read or write it. Returns its host
// path, or an empty text when no file could be made.
std::string CreateTempFile(const std::string& prefix);

}  // namespace platform
