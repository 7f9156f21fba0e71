#include "telemetry/ServerComm.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <map>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/MessageQueue.h"
#include "telemetry/HttpInternals.h"
#include "telemetry/HttpRequest.h"
#include "tests/support/OperatorSimulator.h"
#include "tests/support/TempDir.h"

using namespace std::chrono_literals;
using Fault = test::OperatorSimulator::Fault;
using platform::MessageQueue;

namespace {

struct ResourceResult {
    bool failed { false };
    std::string body;
};

class ServerCommTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageQueue::Instance().BindToCurrentThread();
        MessageQueue::Instance().Pump();
        SetTransferLimits(3000, 1000);
        ASSERT_EQ(OwnedRequestsForTesting(), 0u) << "an earlier test left requests behind";
    }

    void TearDown() override {
        EXPECT_TRUE(AllHandled()) << OwnedRequestsForTesting();
        SetTransferLimits(15000, 30000);
        FailThreadStartsForTesting(false);
    }

    // Every request sent so far has been handled or dropped, and freed.
    static bool AllHandled(std::chrono::milliseconds timeout = 10s) {
        return MessageQueue::Instance().PumpUntil([] { return OwnedRequestsForTesting() == 0; }, timeout);
    }

    // For conditions the queue does not announce (the server's log): pumps in short slices.
    static bool PumpPolling(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= deadline) return false;
            MessageQueue::Instance().PumpUntil([] { return false; }, 20ms);
        }
        return true;
    }

    std::string Url(const std::string& path) const { return m_server.BaseUrl() + path; }

    test::TempDir m_dir;
    test::OperatorSimulator m_server { m_dir.Path() };
};

TEST_F(ServerCommTest, ResourceHandlerHearsEachFileWithItsOwnIndex) {
    struct Case {
        unsigned index;
        const char* path;  // nullptr: the URL is empty
        Fault fault;
        bool failed;
    };
    const std::vector<Case> cases = {
        {0xFFFF, "a.bin", Fault::None, false},
        {0, "b.bin", Fault::None, false},
        {12, "page404.bin", Fault::NotFound, true},
        {13, "page500.bin", Fault::ServerError, true},
        {14, "empty.bin", Fault::Empty, true},
        {15, "cut.bin", Fault::CutOff, true},
        {16, nullptr, Fault::None, true},
    };
    std::map<unsigned, std::string> served;
    for (const Case& c : cases) {
        if (!c.path) continue;
        served[c.index] = std::string(c.path) + std::string(2000, static_cast<char>('a' + c.index % 26));
        m_dir.Write(c.path, served[c.index]);
        if (c.fault != Fault::None) m_server.SetFault(std::string("/") + c.path, c.fault);
    }

    auto comm = std::make_shared<ServerComm>();
    std::map<unsigned, ResourceResult> results;
    comm->BindResourceHandler([&](bool failed, unsigned index, const std::string& body) {
        EXPECT_FALSE(results.count(index)) << "second result for " << index;
        results[index] = {failed, body};
    });
    for (const Case& c : cases) {
        EXPECT_EQ(RequestResourceFile(comm, c.path ? Url(c.path) : "", c.index), c.path != nullptr);
    }
    EXPECT_TRUE(results.empty()) << "a result was handed over inside the sending call";
    ASSERT_TRUE(AllHandled());

    ASSERT_EQ(results.size(), cases.size());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(results[c.index].failed, c.failed);
        if (!c.failed) {
            EXPECT_EQ(results[c.index].body, served[c.index]);
        }
    }
}

// A sender whose worker cannot start still hears of its task, later, as a failure.
TEST_F(ServerCommTest, UnstartableResourceRequestFailsThroughTheQueue) {
    auto comm = std::make_shared<ServerComm>();
    std::vector<std::pair<bool, unsigned>> results;
    comm->BindResourceHandler(
        [&](bool failed, unsigned index, const std::string&) { results.emplace_back(failed, index); });

    FailThreadStartsForTesting(true);
    EXPECT_FALSE(RequestResourceFile(comm, Url("x.bin"), 41));
    FailThreadStartsForTesting(false);
    EXPECT_FALSE(RequestResourceFile(nullptr, Url("x.bin"), 42));
    EXPECT_TRUE(results.empty());
    ASSERT_TRUE(AllHandled());
    EXPECT_EQ(results, (std::vector<std::pair<bool, unsigned>> {{true, 41}}));
    EXPECT_EQ(m_server.RequestCount("/x.bin"), 0u);
}

TEST_F(ServerCommTest, JsonRepliesReachTheirHandlerOnlyWhenTheyParse) {
    struct Case {
        const char* path;
        bool notices;  // otherwise the version request
        std::string body;
        Fault fault;
        bool delivered;
    };
    const std::vector<Case> cases = {
        {"version.json", false, R"({"version": "1.2.7", "force": true})", Fault::None, true},
        {"notices.json", true, R"([{"title": "Maintenance"}, {"title": "Event"}])", Fault::None, true},
        {"version.html", false, "<html><body>Service unavailable</body></html>", Fault::None, false},
        {"truncated.json", true, R"({"notices": [1, 2)", Fault::None, false},
        {"deep.json", false, std::string(100000, '[') + std::string(100000, ']'), Fault::None, false},
        {"error.json", false, R"({"version": "6.6.6"})", Fault::ServerError, false},
        {"empty.json", true, R"({"x": 1})", Fault::Empty, false},
        {"cut.json", false, R"({"version": ")" + std::string(4000, '9') + R"("})", Fault::CutOff, false},
    };

    struct Heard {
        std::vector<Json::Value> notices, versions;
    };
    std::vector<std::shared_ptr<ServerComm>> comms;
    std::vector<Heard> heard(cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        m_dir.Write(c.path, c.body);
        if (c.fault != Fault::None) m_server.SetFault(std::string("/") + c.path, c.fault);
        auto comm = std::make_shared<ServerComm>();
        comm->BindNoticeHandler([&heard, i](const Json::Value& v) { heard[i].notices.push_back(v); });
        comm->BindVersionHandler([&heard, i](const Json::Value& v) { heard[i].versions.push_back(v); });
        EXPECT_TRUE(c.notices ? RequestNotices(comm, Url(c.path)) : RequestVersion(comm, Url(c.path)));
        comms.push_back(comm);
    }
    ASSERT_TRUE(AllHandled());

    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.path);
        const auto& mine = c.notices ? heard[i].notices : heard[i].versions;
        const auto& other = c.notices ? heard[i].versions : heard[i].notices;
        EXPECT_TRUE(other.empty());
        ASSERT_EQ(mine.size(), c.delivered ? 1u : 0u);
    }
    EXPECT_EQ(heard[0].versions[0]["version"].asString(), "1.2.7");
    EXPECT_TRUE(heard[0].versions[0]["force"].asBool());
    ASSERT_EQ(heard[1].notices[0].size(), 2u);
    EXPECT_EQ(heard[1].notices[0][1]["title"].asString(), "Event");
}

TEST_F(ServerCommTest, ThrowingOrMissingHandlersLoseNothingElse) {
    m_dir.Write("v.json", R"({"version": "1"})");
    m_dir.Write("r.bin", "resource");
    auto comm = std::make_shared<ServerComm>();
    int versions = 0;
    std::vector<unsigned> resources;
    comm->BindVersionHandler([&](const Json::Value&) {
        ++versions;
        throw std::runtime_error("handler failed");
    });
    comm->BindResourceHandler([&](bool failed, unsigned index, const std::string&) {
        resources.push_back(index);
        throw 7;
    });
    auto unbound = std::make_shared<ServerComm>();

    EXPECT_TRUE(RequestVersion(comm, Url("v.json")));
    EXPECT_TRUE(RequestResourceFile(comm, Url("r.bin"), 1));
    EXPECT_TRUE(RequestNotices(unbound, Url("v.json")));
    EXPECT_TRUE(RequestResourceFile(unbound, Url("r.bin"), 2));
    EXPECT_TRUE(RequestResourceFile(comm, Url("r.bin"), 3));
    ASSERT_TRUE(AllHandled());
    EXPECT_EQ(versions, 1);
    std::sort(resources.begin(), resources.end());
    EXPECT_EQ(resources, (std::vector<unsigned> {1, 3}));
}

// A window that closes while its transfers run: their results are dropped and freed.
TEST_F(ServerCommTest, DestroyedServerCommHearsNothing) {
    m_dir.Write("stall.bin", std::string(5000, 's'));
    m_dir.Write("slow.bin", std::string(2000, 'w'));
    m_server.SetFault("/stall.bin", Fault::Stall);
    m_server.SetSlow("/slow.bin", 100, 100);  // about 2 s
    SetTransferLimits(3000, 3000);

    int calls = 0;
    auto comm = std::make_shared<ServerComm>();
    comm->BindResourceHandler([&](bool, unsigned, const std::string&) { ++calls; });
    comm->BindVersionHandler([&](const Json::Value&) { ++calls; });
    EXPECT_TRUE(RequestResourceFile(comm, Url("stall.bin"), 1));
    EXPECT_TRUE(RequestResourceFile(comm, Url("slow.bin"), 2));
    EXPECT_TRUE(RequestVersion(comm, Url("slow.bin")));
    ASSERT_TRUE(PumpPolling(
        [&] { return m_server.RequestCount("/stall.bin") == 1 && m_server.RequestCount("/slow.bin") == 2; }));
    EXPECT_FALSE(RequestResourceFile(comm, "", 3));  // its failure is queued, not yet handled
    EXPECT_EQ(OwnedRequestsForTesting(), 4u);
    std::weak_ptr<ServerComm> watch = comm;
    comm.reset();
    ASSERT_TRUE(watch.expired());

    ASSERT_TRUE(AllHandled());
    EXPECT_EQ(calls, 0);
}

}  // namespace
