#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

typedef void CURL;

// Idle easy handles kept between transfers so their live connections and DNS cache serve the
// next request to the same server. A handle belongs to one worker at a time: it is borrowed for a
// whole transfer and returned only after curl_easy_perform has come back. Connections are never
// shared between handles (no share interface), so no two transfers touch one connection at once.
class CurlHandlePool {
public:
    static constexpr std::size_t MAX_IDLE = 16;

    static CurlHandlePool& Instance();

    CurlHandlePool(const CurlHandlePool&) = delete;
    CurlHandlePool& operator=(const CurlHandlePool&) = delete;

    // An idle handle, the most recently returned first, or a new one; null when libcurl has none.
    CURL* Acquire();
    // Without reuse every handle is closed when its transfer ends, so each request opens a
    // connection of its own (for measurements).
    void SetReuse(bool reuse);

    // Resets `handle` (its connections and DNS cache stay) and keeps it, or closes it when the
    // pool is full.
    void Release(CURL* handle);

private:
    CurlHandlePool() = default;

    std::mutex m_mutex;
    std::vector<CURL*> m_idle;
    bool m_reuse { true };
};
