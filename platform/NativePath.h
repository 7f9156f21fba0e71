#pragma once

#include <string>
#include <string_view>

namespace platform {

// The host path for one of the client's own paths: "\" and "/" both become "/". Called at the
// last moment before a file is touched; the client's path rules work on its own separators.
std::string NativePath(std::string_view path);

}  // namespace platform
