#include "telemetry/HttpRequest.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "platform/MessageQueue.h"
#include "telemetry/HttpInternals.h"
#include "telemetry/VHttpCallback.h"
#include "tests/support/OperatorSimulator.h"
#include "tests/support/TempDir.h"

using namespace std::chrono_literals;
using Fault = test::OperatorSimulator::Fault;
using platform::MessageQueue;

namespace {

using Clock = std::chrono::steady_clock;

// Records every result with the thread and time it arrived on.
struct Recorder : VHttpCallback {
    struct Result {
        std::uint32_t id { 0 };
        int code { -1 };
        std::string body;
        bool busy { true };
        std::thread::id thread;
        Clock::time_point at;
    };
    std::vector<Result> results;
    std::shared_ptr<int> calls = std::make_shared<int>(0);  // outlives the recorder

    const Result* Find(std::uint32_t id) const {
        for (const Result& r : results)
            if (r.id == id) return &r;
        return nullptr;
    }

    // Overridden from VHttpCallback:
    void OnHttpResult(HttpRequest* request, int code, const std::string& body) override {
        ++*calls;
        results.push_back({request->id, code, body, request->busy, std::this_thread::get_id(), Clock::now()});
    }
};

// Bytes that survive no text conversion: NULs, CR LF, high bytes.
std::string BinaryBytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 31 + seed * 7) % 256);
    if (size > 4) bytes.replace(0, 4, std::string("\0\r\n\xff", 4));
    return bytes;
}

class HttpRequestTest : public ::testing::Test {
protected:
    static constexpr long STALL_MS = 1000;

    void SetUp() override {
        MessageQueue::Instance().BindToCurrentThread();
        MessageQueue::Instance().Pump();
        SetTransferLimits(3000, STALL_MS);
        SetBodyLimitForTesting(0);
        FailThreadStartsForTesting(false);
        ASSERT_EQ(OwnedRequestsForTesting(), 0u) << "an earlier test left requests behind";
    }

    void TearDown() override {
        // Every request the machinery took must be freed once its result is handled or dropped.
        EXPECT_TRUE(Pump([] { return OwnedRequestsForTesting() == 0; }, 15s)) << OwnedRequestsForTesting();
        SetTransferLimits(15000, 30000);
        SetBodyLimitForTesting(0);
        FailThreadStartsForTesting(false);
    }

    static bool Pump(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
        return MessageQueue::Instance().PumpUntil(done, timeout);
    }

    // For conditions the queue does not announce (the server's log): pumps in short slices.
    static bool PumpPolling(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
        const auto deadline = Clock::now() + timeout;
        while (!done()) {
            if (Clock::now() >= deadline) return false;
            MessageQueue::Instance().PumpUntil([] { return false; }, 20ms);
        }
        return true;
    }

    std::uint32_t Start(Recorder& recorder, const std::string& url, unsigned number) {
        auto request = std::make_unique<HttpRequest>();
        request->id = MakeRequestId(REQUEST_RESOURCE_FILE, number);
        const std::uint32_t id = request->id;
        if (StartRequest(request.get(), url, &recorder)) {
            request.release();  // the transfer machinery owns it now
        } else {
            ADD_FAILURE() << "could not start " << url;
        }
        return id;
    }

    test::TempDir m_dir;
    test::OperatorSimulator m_server { m_dir.Path() };
};

// One outcome per kind of reply or failure; the cases run side by side.
TEST_F(HttpRequestTest, MapsEveryOutcomeToItsCode) {
    constexpr std::size_t LIMIT = 4096;
    SetBodyLimitForTesting(LIMIT);
    std::string closedPort;
    {
        test::TempDir other;
        test::OperatorSimulator gone(other.Path());
        closedPort = std::to_string(gone.Port());
    }

    struct Case {
        const char* name;
        std::optional<std::string> file;  // served below the root under `name`
        Fault fault;
        std::string url;   // overrides the simulator's URL of `name`
        int code;
        bool wholeBody;  // the served bytes arrive exactly
    };
    const std::vector<Case> cases = {
        {"ok.bin", BinaryBytes(3000, 1), Fault::None, "", HTTP_RESULT_OK, true},
        {"just-under-limit.bin", BinaryBytes(LIMIT - 1, 2), Fault::None, "", HTTP_RESULT_OK, true},
        {"at-limit.bin", BinaryBytes(LIMIT, 3), Fault::None, "", HTTP_RESULT_OTHER, false},
        {"over-limit.bin", BinaryBytes(LIMIT * 5, 4), Fault::None, "", HTTP_RESULT_OTHER, false},
        {"missing.bin", std::nullopt, Fault::None, "", HTTP_RESULT_HTTP_ERROR, false},
        {"not-found.bin", "real bytes", Fault::NotFound, "", HTTP_RESULT_HTTP_ERROR, false},
        {"server-error.bin", "real bytes", Fault::ServerError, "", HTTP_RESULT_HTTP_ERROR, false},
        {"empty.bin", "real bytes", Fault::Empty, "", HTTP_RESULT_EMPTY, false},
        {"empty-file.bin", "", Fault::None, "", HTTP_RESULT_EMPTY, false},
        {"cut-off.bin", BinaryBytes(2000, 5), Fault::CutOff, "", HTTP_RESULT_OTHER, false},
        {"stall.bin", BinaryBytes(2000, 6), Fault::Stall, "", HTTP_RESULT_TIMEOUT, false},
        {"closed-port", std::nullopt, Fault::None, "http://127.0.0.1:" + closedPort + "/x",
         HTTP_RESULT_NO_CONNECTION, false},
        {"unresolved", std::nullopt, Fault::None, "http://no-such-host.invalid/x", HTTP_RESULT_NOT_RESOLVED, false},
        {"not-http", std::nullopt, Fault::None, "file:///etc/hostname", HTTP_RESULT_OTHER, false},
    };
    for (const Case& c : cases) {
        if (c.file) m_dir.Write(c.name, *c.file);
        if (c.fault != Fault::None) m_server.SetFault(std::string("/") + c.name, c.fault);
    }

    Recorder recorder;
    const auto started = Clock::now();
    for (unsigned i = 0; i < cases.size(); ++i) {
        Start(recorder, cases[i].url.empty() ? m_server.BaseUrl() + cases[i].name : cases[i].url, i);
    }
    ASSERT_TRUE(Pump([&] { return recorder.results.size() == cases.size(); }, 20s));

    for (unsigned i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        const Recorder::Result* result = recorder.Find(MakeRequestId(REQUEST_RESOURCE_FILE, i));
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(result->code, c.code);
        EXPECT_FALSE(result->busy);
        if (c.wholeBody) {
            EXPECT_TRUE(result->body == *c.file) << result->body.size() << " bytes";
        } else if (c.file && !c.file->empty()) {
            EXPECT_TRUE(result->body != *c.file) << "a failed transfer handed out the whole file";
        }
        if (c.code == HTTP_RESULT_EMPTY) {
            EXPECT_TRUE(result->body.empty());
        }
    }
    // The stall limit, not the server, ended the stalled transfer.
    const Recorder::Result* stalled = nullptr;
    for (unsigned i = 0; i < cases.size(); ++i) {
        if (cases[i].fault == Fault::Stall) stalled = recorder.Find(MakeRequestId(REQUEST_RESOURCE_FILE, i));
    }
    ASSERT_NE(stalled, nullptr);
    EXPECT_GE(stalled->at - started, std::chrono::milliseconds(STALL_MS - 100));
    EXPECT_LT(stalled->at - started, std::chrono::milliseconds(STALL_MS + 2500));
}

TEST_F(HttpRequestTest, ResultsArriveOnThePumpingThreadInTheOrderTransfersEnd) {
    m_dir.Write("slow.bin", BinaryBytes(1200, 7));
    m_dir.Write("fast1.bin", "first");
    m_dir.Write("fast2.bin", "second");
    m_server.SetSlow("/slow.bin", 200, 100);  // about 0.6 s

    Recorder recorder;
    Start(recorder, m_server.BaseUrl() + "slow.bin", 1);
    ASSERT_TRUE(PumpPolling([&] { return m_server.RequestCount("/slow.bin") == 1; }));
    Start(recorder, m_server.BaseUrl() + "fast1.bin", 2);
    ASSERT_TRUE(Pump([&] { return recorder.results.size() == 1; }));
    Start(recorder, m_server.BaseUrl() + "fast2.bin", 3);
    ASSERT_TRUE(Pump([&] { return recorder.results.size() == 3; }));

    std::vector<std::uint32_t> order;
    for (const auto& result : recorder.results) {
        order.push_back(result.id & 0xFFFFu);
        EXPECT_EQ(result.thread, std::this_thread::get_id());
        EXPECT_EQ(result.code, HTTP_RESULT_OK);
    }
    EXPECT_EQ(order, (std::vector<std::uint32_t> {2, 3, 1}));
    EXPECT_TRUE(recorder.results.back().body == BinaryBytes(1200, 7));
}

TEST_F(HttpRequestTest, RequestsThatCannotStartStayWithTheCallerAndDeliverNothing) {
    m_dir.Write("after.bin", "sentinel");
    Recorder recorder;
    HttpRequest request;
    request.id = MakeRequestId(REQUEST_RESOURCE_FILE, 1);
    request.body = "old";

    EXPECT_FALSE(StartRequest(&request, "", &recorder));
    EXPECT_FALSE(StartRequest(&request, m_server.BaseUrl() + "after.bin", nullptr));
    request.busy = true;
    EXPECT_FALSE(StartRequest(&request, m_server.BaseUrl() + "after.bin", &recorder));
    request.busy = false;
    FailThreadStartsForTesting(true);
    EXPECT_FALSE(StartRequest(&request, m_server.BaseUrl() + "after.bin", &recorder));
    FailThreadStartsForTesting(false);
    EXPECT_FALSE(request.busy);
    EXPECT_EQ(OwnedRequestsForTesting(), 0u);

    // Results come in order: once a later request's result is in, nothing else is on its way.
    Start(recorder, m_server.BaseUrl() + "after.bin", 2);
    ASSERT_TRUE(Pump([&] { return !recorder.results.empty(); }));
    ASSERT_EQ(recorder.results.size(), 1u);
    EXPECT_EQ(recorder.results[0].id & 0xFFFFu, 2u);
    EXPECT_EQ(recorder.results[0].body, "sentinel");
    EXPECT_EQ(m_server.RequestCount("/after.bin"), 1u);
}

TEST_F(HttpRequestTest, DestroyedCallbackLosesItsResultsWhileOthersKeepTheirs) {
    m_dir.Write("slow.bin", BinaryBytes(1000, 8));
    m_server.SetSlow("/slow.bin", 100, 50);

    Recorder survivor;
    auto leaving = std::make_unique<Recorder>();
    Start(*leaving, m_server.BaseUrl() + "slow.bin", 1);
    Start(*leaving, m_server.BaseUrl() + "slow.bin", 2);
    Start(survivor, m_server.BaseUrl() + "slow.bin", 3);
    ASSERT_TRUE(PumpPolling([&] { return m_server.RequestCount("/slow.bin") == 3; }));
    std::shared_ptr<int> heardByLeaving = leaving->calls;
    leaving.reset();

    ASSERT_TRUE(Pump([] { return OwnedRequestsForTesting() == 0; }, 10s));
    EXPECT_EQ(*heardByLeaving, 0);
    ASSERT_EQ(survivor.results.size(), 1u);
    EXPECT_EQ(survivor.results[0].id & 0xFFFFu, 3u);
    EXPECT_TRUE(survivor.results[0].body == BinaryBytes(1000, 8));
}

// A request handed back to StartRequest from inside its own result belongs to the new transfer
// and is not freed under it.
TEST_F(HttpRequestTest, HandlerMayStartItsRequestAgain) {
    m_dir.Write("one.txt", "one");
    m_dir.Write("two.txt", "two");
    struct Restarter : Recorder {
        std::string next;
        void OnHttpResult(HttpRequest* request, int code, const std::string& body) override {
            Recorder::OnHttpResult(request, code, body);
            if (!next.empty()) {
                EXPECT_TRUE(StartRequest(request, std::exchange(next, ""), this));
            }
        }
    } restarter;
    restarter.next = m_server.BaseUrl() + "two.txt";
    Start(restarter, m_server.BaseUrl() + "one.txt", 5);
    ASSERT_TRUE(Pump([&] { return restarter.results.size() == 2; }));
    EXPECT_EQ(restarter.results[0].body, "one");
    EXPECT_EQ(restarter.results[1].body, "two");
    EXPECT_EQ(restarter.results[1].id, MakeRequestId(REQUEST_RESOURCE_FILE, 5));
}

// Thousands of small files must not cost a connection each; error replies among them do not
// break the reuse of the connections that carried them.
TEST_F(HttpRequestTest, ManySmallFilesReuseConnections) {
    constexpr unsigned FILES = 200;
    constexpr unsigned AT_ONCE = 10;
    for (unsigned i = 0; i < FILES; ++i) {
        if (i % 25 != 7) m_dir.Write("many/f" + std::to_string(i) + ".txt", "file " + std::to_string(i));
    }

    Recorder recorder;
    unsigned started = 0;
    auto startNext = [&] {
        Start(recorder, m_server.BaseUrl() + "many/f" + std::to_string(started) + ".txt", started);
        ++started;
    };
    while (started < AT_ONCE) startNext();
    ASSERT_TRUE(Pump(
        [&] {
            while (started < FILES && started - recorder.results.size() < AT_ONCE) startNext();
            return recorder.results.size() == FILES;
        },
        60s));

    for (const auto& result : recorder.results) {
        const unsigned i = result.id & 0xFFFFu;
        if (i % 25 == 7) {
            EXPECT_EQ(result.code, HTTP_RESULT_HTTP_ERROR) << i;
        } else {
            EXPECT_EQ(result.code, HTTP_RESULT_OK) << i;
            EXPECT_EQ(result.body, "file " + std::to_string(i));
        }
    }
    EXPECT_LE(m_server.ConnectionsAccepted(), 2 * static_cast<int>(AT_ONCE)) << "requests: " << FILES;
}

}  // namespace
