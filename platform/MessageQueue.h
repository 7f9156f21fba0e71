#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace platform {

// Identifies a message target for as long as it lives; never reused, so a message posted to a
// target that has gone is dropped instead of reaching a newcomer.
using TargetId = std::uint64_t;

// Data that travels with a message. The queue owns it until the message is handled; a handler
// takes it by moving `Message::payload` out, otherwise it is destroyed after the handler returns
// or when the message is dropped.
struct MessagePayload {
    virtual ~MessagePayload() = default;
};

struct Message {
    std::uint32_t id { 0 };
    std::uintptr_t wParam { 0 };
    std::intptr_t lParam { 0 };
    std::unique_ptr<MessagePayload> payload;
};

// Something that receives posted messages on the user-interface thread: a window, or a hidden
// helper that only handles messages. Targets are created and destroyed on that thread; a
// destroyed target's pending messages are dropped.
class MessageTarget {
public:
    MessageTarget();
    virtual ~MessageTarget();
    MessageTarget(const MessageTarget&) = delete;
    MessageTarget& operator=(const MessageTarget&) = delete;

    TargetId Id() const { return m_id; }

    // Posts to this target; callable from any thread while the target lives. Threads that may
    // outlive the target post by id through MessageQueue::Post instead.
    bool Post(std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0,
              std::unique_ptr<MessagePayload> payload = {});

protected:
    friend class MessageQueue;
    virtual void OnMessage(Message& message) = 0;

private:
    TargetId m_id { 0 };
};

// The user-interface thread's queue: a thread-safe FIFO, drained on that thread in posting order.
// The main loop drains it through one source (MessageLoop.h); tests pump it without a display.
class MessageQueue {
public:
    static MessageQueue& Instance();

    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;

    // Queues a message for `target`; any thread. False (and the payload destroyed) when no such
    // target lives.
    bool Post(TargetId target, std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0,
              std::unique_ptr<MessagePayload> payload = {});

    // Makes the calling thread the user-interface thread. The first Pump binds it otherwise.
    void BindToCurrentThread();
    bool OnOwnerThread() const;

    // Dispatches the messages that were queued when it was called, in order; messages posted
    // meanwhile wait for the next call. Does nothing off the user-interface thread. Returns how
    // many messages reached a target.
    std::size_t Pump();

    // Pumps until `done` answers true or `timeout` passes, sleeping while the queue is empty;
    // `done` is asked after every pump and at least every 10 ms.
    bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

    bool HasPending() const { return m_pending.load(std::memory_order_acquire); }

    // Called after every post, from the posting thread, to wake the main loop.
    void SetWakeup(std::function<void()> wakeup);

private:
    friend class MessageTarget;
    struct Entry {
        TargetId target;
        std::uint64_t sequence;
        Message message;
    };

    MessageQueue() = default;
    TargetId Register(MessageTarget* target);
    void Unregister(TargetId id);

    mutable std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<Entry> m_entries;
    std::unordered_map<TargetId, MessageTarget*> m_targets;
    TargetId m_nextId { 1 };
    std::uint64_t m_nextSequence { 0 };
    std::atomic<bool> m_pending { false };
    std::thread::id m_owner;
    std::function<void()> m_wakeup;
};

}  // namespace platform
