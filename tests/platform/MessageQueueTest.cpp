#include "platform/MessageQueue.h"

#include <gtest/gtest.h>

#include <map>
#include <thread>
#include <vector>

using namespace std::chrono_literals;
using platform::Message;
using platform::MessagePayload;
using platform::MessageQueue;

namespace {

struct Recorder : platform::MessageTarget {
    std::vector<std::pair<std::uint32_t, std::uintptr_t>> received;
    std::function<void(Message&)> onMessage;

protected:
    void OnMessage(Message& message) override {
        received.emplace_back(message.id, message.wParam);
        if (onMessage) onMessage(message);
    }
};

struct CountedPayload : MessagePayload {
    explicit CountedPayload(int* alive) : alive(alive) { ++*alive; }
    ~CountedPayload() override { --*alive; }
    int* alive;
};

class MessageQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageQueue::Instance().BindToCurrentThread();
        MessageQueue::Instance().Pump();
    }
};

TEST_F(MessageQueueTest, DeliversInPostingOrderAcrossTargetsAndThreads) {
    Recorder a, b;
    constexpr int PER_THREAD = 500;
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t) {
        posters.emplace_back([&, t] {
            Recorder& target = t % 2 ? b : a;
            for (int i = 0; i < PER_THREAD; ++i) target.Post(100 + t, static_cast<std::uintptr_t>(i));
        });
    }
    for (auto& poster : posters) poster.join();
    a.Post(1, 0);
    b.Post(2, 0);
    MessageQueue::Instance().Pump();

    ASSERT_EQ(a.received.size(), 2u * PER_THREAD + 1);
    ASSERT_EQ(b.received.size(), 2u * PER_THREAD + 1);
    // Each thread's messages arrive in the order that thread posted them; the last posts come last.
    for (Recorder* r : {&a, &b}) {
        std::map<std::uint32_t, std::uintptr_t> next;
        for (std::size_t i = 0; i + 1 < r->received.size(); ++i) {
            auto [id, w] = r->received[i];
            EXPECT_EQ(w, next[id]++) << "message " << id;
        }
    }
    EXPECT_EQ(a.received.back().first, 1u);
    EXPECT_EQ(b.received.back().first, 2u);
}

TEST_F(MessageQueueTest, MessagesPostedWhileDispatchingWaitForTheNextPump) {
    Recorder r;
    r.onMessage = [&](Message& m) {
        if (m.id == 1) r.Post(2);
    };
    r.Post(1);
    EXPECT_EQ(MessageQueue::Instance().Pump(), 1u);
    EXPECT_EQ(r.received.size(), 1u);
    EXPECT_TRUE(MessageQueue::Instance().HasPending());
    EXPECT_EQ(MessageQueue::Instance().Pump(), 1u);
    ASSERT_EQ(r.received.size(), 2u);
    EXPECT_EQ(r.received[1].first, 2u);
}

TEST_F(MessageQueueTest, PayloadsAreFreedWhetherHandledKeptOrDropped) {
    int alive = 0;
    std::unique_ptr<MessagePayload> kept;
    {
        Recorder r;
        r.onMessage = [&](Message& m) {
            if (m.id == 1) kept = std::move(m.payload);
        };
        r.Post(1, 0, 0, std::make_unique<CountedPayload>(&alive));
        r.Post(2, 0, 0, std::make_unique<CountedPayload>(&alive));
        MessageQueue::Instance().Pump();
        EXPECT_EQ(alive, 1);  // the handler kept the first; the second went with its message
        r.Post(3, 0, 0, std::make_unique<CountedPayload>(&alive));
        EXPECT_EQ(alive, 2);
    }  // the target goes with a message still queued
    EXPECT_EQ(alive, 1);
    EXPECT_FALSE(MessageQueue::Instance().HasPending());
    kept.reset();
    EXPECT_EQ(alive, 0);
}

TEST_F(MessageQueueTest, PostingToAGoneTargetFailsAndFreesThePayload) {
    platform::TargetId gone;
    {
        Recorder r;
        gone = r.Id();
    }
    int alive = 0;
    EXPECT_FALSE(MessageQueue::Instance().Post(gone, 1, 0, 0, std::make_unique<CountedPayload>(&alive)));
    EXPECT_EQ(alive, 0);
    Recorder newcomer;
    EXPECT_NE(newcomer.Id(), gone);
}

TEST_F(MessageQueueTest, OnlyTheUserInterfaceThreadDispatches) {
    Recorder r;
    r.Post(7);
    std::size_t fromWorker = 99;
    std::thread([&] { fromWorker = MessageQueue::Instance().Pump(); }).join();
    EXPECT_EQ(fromWorker, 0u);
    EXPECT_TRUE(r.received.empty());
    EXPECT_EQ(MessageQueue::Instance().Pump(), 1u);
}

TEST_F(MessageQueueTest, PumpUntilWaitsForAWorkerAndGivesUpAtItsTimeOut) {
    Recorder r;
    std::thread worker([&] {
        std::this_thread::sleep_for(50ms);
        r.Post(42);
    });
    EXPECT_TRUE(MessageQueue::Instance().PumpUntil([&] { return !r.received.empty(); }, 5s));
    worker.join();
    EXPECT_EQ(r.received.at(0).first, 42u);

    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(MessageQueue::Instance().PumpUntil([] { return false; }, 100ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);
}

}  // namespace
