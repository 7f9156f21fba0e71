#pragma once

#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

// Buffers of finished bodies kept for the next transfers. A run fetches thousands of files of a
// few hundred kilobytes; taking a buffer that already holds its pages saves an allocation and a
// page fault for every 4 KB of every body.
class BodyBufferPool {
public:
    // Buffers above this capacity go back to the system; so does everything past MAX_KEPT.
    static constexpr std::size_t MAX_KEPT_CAPACITY = 4u << 20;
    static constexpr std::size_t MAX_KEPT = 16;

    static BodyBufferPool& Instance();

    BodyBufferPool(const BodyBufferPool&) = delete;
    BodyBufferPool& operator=(const BodyBufferPool&) = delete;

    // An empty string, with room when a kept buffer was available.
    std::string Take();
    void Recycle(std::string&& buffer);

private:
    BodyBufferPool() = default;

    std::mutex m_mutex;
    std::vector<std::string> m_kept;
};

// Makes room for a body of announced length in one allocation; a large one is backed by huge
// pages where the system offers them.
void ReserveBody(std::string& body, std::size_t length);
