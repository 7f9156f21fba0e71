#pragma once

#include <cstdint>

namespace platform {

// Milliseconds since boot as a 32-bit value; wraps after about 49.7 days like the original.
std::uint32_t GetTickCount();

}  // namespace platform
