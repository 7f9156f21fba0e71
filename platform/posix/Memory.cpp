#include "platform/Memory.h"

#include <sys/mman.h>

#include <cstdint>

namespace platform {

void PreferHugePages(void* data, std::size_t size) {
    constexpr std::uintptr_t HUGE_PAGE = 2u << 20;
    auto begin = (reinterpret_cast<std::uintptr_t>(data) + HUGE_PAGE - 1) & ~(HUGE_PAGE - 1);
    auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(HUGE_PAGE - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

}  // namespace platform
