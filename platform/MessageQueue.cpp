#include "platform/MessageQueue.h"

#include <algorithm>

namespace platform {

MessageTarget::MessageTarget() : m_id(MessageQueue::Instance().Register(this)) {}

MessageTarget::~MessageTarget() { MessageQueue::Instance().Unregister(m_id); }

bool MessageTarget::Post(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                         std::unique_ptr<MessagePayload> payload) {
    return MessageQueue::Instance().Post(m_id, message, wParam, lParam, std::move(payload));
}

MessageQueue& MessageQueue::Instance() {
    static MessageQueue* queue = new MessageQueue();  // lives until the process ends
    return *queue;
}

TargetId MessageQueue::Register(MessageTarget* target) {
    std::lock_guard lock(m_mutex);
    TargetId id = m_nextId++;
    m_targets.emplace(id, target);
    return id;
}

void MessageQueue::Unregister(TargetId id) {
    std::deque<Entry> dropped;  // payloads are destroyed outside the lock
    {
        std::lock_guard lock(m_mutex);
        m_targets.erase(id);
        auto keep = std::stable_partition(m_entries.begin(), m_entries.end(),
                                          [id](const Entry& entry) { return entry.target != id; });
        std::move(keep, m_entries.end(), std::back_inserter(dropped));
        m_entries.erase(keep, m_entries.end());
        m_pending.store(!m_entries.empty(), std::memory_order_release);
    }
}

bool MessageQueue::Post(TargetId target, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                        std::unique_ptr<MessagePayload> payload) {
    std::function<void()> wakeup;
    {
        std::lock_guard lock(m_mutex);
        if (!m_targets.count(target)) return false;
        m_entries.push_back(Entry{target, m_nextSequence++, Message{message, wParam, lParam, std::move(payload)}});
        m_pending.store(true, std::memory_order_release);
        wakeup = m_wakeup;
    }
    m_posted.notify_all();
    if (wakeup) wakeup();
    return true;
}

void MessageQueue::BindToCurrentThread() {
    std::lock_guard lock(m_mutex);
    m_owner = std::this_thread::get_id();
}

bool MessageQueue::OnOwnerThread() const {
    std::lock_guard lock(m_mutex);
    return m_owner == std::this_thread::get_id();
}

std::size_t MessageQueue::Pump() {
    std::uint64_t end;
    {
        std::lock_guard lock(m_mutex);
        if (m_owner == std::thread::id()) m_owner = std::this_thread::get_id();
        if (m_owner != std::this_thread::get_id()) return 0;
        end = m_nextSequence;
    }
    std::size_t delivered = 0;
    for (;;) {
        Entry entry;
        MessageTarget* target = nullptr;
        {
            std::lock_guard lock(m_mutex);
            if (m_entries.empty() || m_entries.front().sequence >= end) break;
            entry = std::move(m_entries.front());
            m_entries.pop_front();
            m_pending.store(!m_entries.empty(), std::memory_order_release);
            auto found = m_targets.find(entry.target);
            if (found != m_targets.end()) target = found->second;
        }
        // Targets live on this thread, so one found here stays alive until its handler runs.
        if (target) {
            target->OnMessage(entry.message);
            ++delivered;
        }
    }
    return delivered;
}

bool MessageQueue::PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    // The condition may hang on state that no message announces (a server's log, a file), so it
    // is asked again at least every few milliseconds, not only after a post.
    constexpr auto RECHECK = std::chrono::milliseconds(10);
    auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        Pump();
        if (done()) return true;
        auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return false;
        std::unique_lock lock(m_mutex);
        if (m_entries.empty()) m_posted.wait_until(lock, std::min(deadline, now + RECHECK));
    }
}

void MessageQueue::SetWakeup(std::function<void()> wakeup) {
    std::lock_guard lock(m_mutex);
    m_wakeup = std::move(wakeup);
}

}  // namespace platform
