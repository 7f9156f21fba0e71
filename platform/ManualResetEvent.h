#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {

// An event that stays signalled until it is reset; every waiter wakes while it is set.
class ManualResetEvent {
public:
    static constexpr std::uint32_t INFINITE = 0xFFFFFFFFu;

    explicit ManualResetEvent(bool initiallySet = false) : m_set(initiallySet) {}
    ManualResetEvent(const ManualResetEvent&) = delete;
    ManualResetEvent& operator=(const ManualResetEvent&) = delete;

    void Set();
    void Reset();
    bool IsSet() const;
    // True when the event is signalled within `timeoutMs` (INFINITE waits for ever).
    bool Wait(std::uint32_t timeoutMs = INFINITE) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_set { false };
};

}  // namespace platform
