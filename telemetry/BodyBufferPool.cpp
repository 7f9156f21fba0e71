#include "telemetry/BodyBufferPool.h"

#include "platform/Memory.h"

BodyBufferPool& BodyBufferPool::Instance() {
    static BodyBufferPool* pool = new BodyBufferPool();  // detached workers may use it during exit
    return *pool;
}

std::string BodyBufferPool::Take() {
    std::lock_guard lock(m_mutex);
    if (m_kept.empty()) return {};
    std::string buffer = std::move(m_kept.back());
    m_kept.pop_back();
    return buffer;
}

void BodyBufferPool::Recycle(std::string&& buffer) {
    if (buffer.capacity() > MAX_KEPT_CAPACITY || buffer.capacity() < 4096) return;
    buffer.clear();
    std::lock_guard lock(m_mutex);
    if (m_kept.size() < MAX_KEPT) m_kept.push_back(std::move(buffer));
}

void ReserveBody(std::string& body, std::size_t length) {
    if (length <= body.capacity()) return;
    body.reserve(length);
    platform::PreferHugePages(body.data(), body.capacity());
}
