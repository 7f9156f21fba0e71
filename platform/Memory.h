#pragma once

#include <cstddef>

namespace platform {

// Asks the system to back the whole 2 MB pages inside [data, data + size) with huge pages, so
// filling a large buffer costs a few page faults instead of one per 4 KB. A hint only.
void PreferHugePages(void* data, std::size_t size);

}  // namespace platform
