#pragma once

#include <cstddef>
#include <functional>

namespace platform {

// Starts `work` on a detached thread with a stack of `stackBytes` (0: the system's default).
// False when no thread could be made; `work` then never runs.
//
// Short-lived workers with small stacks are much cheaper to start than with the default 8 MB:
// the C library keeps a few megabytes of finished stacks for reuse, and small ones fit in it.
bool StartDetachedThread(std::function<void()> work, std::size_t stackBytes);

}  // namespace platform
