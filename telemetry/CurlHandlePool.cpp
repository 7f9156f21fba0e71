#include "telemetry/CurlHandlePool.h"

#include <curl/curl.h>

CurlHandlePool& CurlHandlePool::Instance() {
    // Lives until the process ends: detached workers may return handles during exit.
    static CurlHandlePool* pool = new CurlHandlePool();
    return *pool;
}

CURL* CurlHandlePool::Acquire() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_idle.empty()) {
            CURL* handle = m_idle.back();
            m_idle.pop_back();
            return handle;
        }
    }
    return curl_easy_init();
}

void CurlHandlePool::SetReuse(bool reuse) {
    std::lock_guard lock(m_mutex);
    m_reuse = reuse;
}

void CurlHandlePool::Release(CURL* handle) {
    if (!handle) return;
    // Options pointing at the finished worker's buffers must not outlive it.
    curl_easy_reset(handle);
    {
        std::lock_guard lock(m_mutex);
        if (m_reuse && m_idle.size() < MAX_IDLE) {
            m_idle.push_back(handle);
            return;
        }
    }
    curl_easy_cleanup(handle);
}
