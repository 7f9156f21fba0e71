#include "telemetry/StatReports.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "app/ClientVersion.h"
#include "platform/ExecutablePath.h"
#include "telemetry/CEthernetMac.h"
#include "telemetry/ReportSender.h"
#include "telemetry/ReportTask.h"
#include "tests/support/OperatorSimulator.h"
#include "tests/support/TempDir.h"

using namespace std::chrono_literals;
using Fault = test::OperatorSimulator::Fault;
using Clock = std::chrono::steady_clock;

namespace {

const platform::HardwareAddress FIRST_ADAPTER { 0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E };
const platform::HardwareAddress SECOND_ADAPTER { 0xAB, 0xCD, 0xEF, 0x01, 0x02, 0x03 };

CEthernetMac::AdapterSource FixedAdapters(std::vector<platform::HardwareAddress> adapters,
                                          bool readable = true) {
    return [adapters, readable](std::vector<platform::HardwareAddress>* list) {
        *list = adapters;
        return readable;
    };
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10s) {
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

std::size_t Discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

// The simulator's stall that sends not even a status line: a server that never answers.
void StallWithoutAnswer(const test::OperatorSimulator& sim, const std::string& path) {
    CURL* curl = curl_easy_init();
    ASSERT_NE(curl, nullptr);
    const std::string url = sim.BaseUrl() + "__sim/fault";
    const std::string body = R"({"path": ")" + path + R"(", "fault": "stall", "send_head": 0})";
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 5L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
    const CURLcode result = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    ASSERT_EQ(result, CURLE_OK);
    ASSERT_EQ(status, 200);
}

// An event report's query as the operator expects it.
std::string EventQuery(const std::string& statcode, const std::string& mac, const std::string& lumtype,
                       const std::string& user, const std::string& key) {
    return "&statcode=" + statcode + "&macaddr=" + mac + "&version=1.1.6.0.0&lumtype=" + lumtype +
           "&user=" + user + "&key=" + key;
}

class StatReportTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::OverrideExecutablePath((m_program / "Tlvc").string());
        m_program.Write("urls.config", "[URLS]\nlogstat=" + m_sim.BaseUrl() + "mc_log\nloguninstallreson=" +
                                           m_sim.BaseUrl() + "mc_rea\n");
        CEthernetMac::SetAdapterSource(FixedAdapters({FIRST_ADAPTER, SECOND_ADAPTER}));
        SetReportTransferLimits(5000, 20000);
        ASSERT_TRUE(CreateReportEvent(m_task));
    }

    void TearDown() override {
        SetReportTransferLimits(15000, 30000);
        CEthernetMac::SetAdapterSource(nullptr);
        platform::OverrideExecutablePath("");
    }

    // The single request the simulator received, once it has arrived.
    test::OperatorSimulator::Request OnlyRequest() {
        EXPECT_TRUE(WaitFor([&] { return !m_sim.Requests().empty(); }));
        auto requests = m_sim.Requests();
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? test::OperatorSimulator::Request {} : requests.front();
    }

    test::TempDir m_root;
    test::OperatorSimulator m_sim { m_root.Path() };
    test::TempDir m_program;
    ReportTask m_task;  // destroyed first: a worker still running is let go before the server stops
};

TEST_F(StatReportTest, ClientReportsCarryVersionChannelMacAndKey) {
    ReportTask& task = ProgramReportTask();
    ASSERT_TRUE(CreateReportEvent(task));

    // Without update\upgrade.ini the channel is "a"; the key source is 4_001A2B3C4D5E_1.1.6.0.0_a_.
    ASSERT_TRUE(SendClientStatReport(STAT_START, ""));
    EXPECT_TRUE(WaitForReport(task));
    auto start = OnlyRequest();
    EXPECT_EQ(start.method, "GET");
    EXPECT_EQ(start.path, "/mc_log");
    EXPECT_EQ(start.query, EventQuery("4", "001A2B3C4D5E", "a", "", "b2ff461809d40e3ff559eb197b8efc36"));
    EXPECT_EQ(start.headers["user-agent"], "HTTP_STAT_POST");
    EXPECT_EQ(start.headers["cache-control"], "no-cache");
    EXPECT_EQ(start.headers["pragma"], "no-cache");
    EXPECT_EQ(start.headers["host"], "127.0.0.1:" + std::to_string(m_sim.Port()));

    // The login report: the channel comes from the installation, the account goes out in GBK and
    // the key is taken over those bytes.
    m_sim.ClearFaults();
    m_program.Write("update/upgrade.ini", "[UPGRADE]\nmyupgradetype=qd7\n");
    ASSERT_TRUE(SendClientStatReport(STAT_LOGIN, "张三"));
    EXPECT_TRUE(WaitForReport(task));
    EXPECT_EQ(OnlyRequest().query,
              EventQuery("3", "001A2B3C4D5E", "qd7", "\xD5\xC5\xC8\xFD", "7f87541b0e01916de07d6f079a86e1a7"));
}

// Values are inserted as they are: "&", "#", "%" and "+" arrive untouched, GBK bytes arrive raw
// (0xA0 and 0x85 among them). Only a space cannot stand in a request line and travels as %20;
// the key is still computed over the space.
TEST_F(StatReportTest, AccountGoesInUnencodedAsGbk) {
    struct Case {
        const char* account;
        const char* onTheWire;
        const char* key;
    } cases[] = {
        {"tom smith", "tom%20smith", "5bbd494eac43a27fb206ed536299a802"},
        {"a&b", "a&b", "b108ed7a3320c1244407c52b3797881e"},
        {"李雷#%41+", "\xC0\xEE\xC0\xD7#%41+", "2f4a3d7e8bd667fc547dae9c8a0e74ef"},
        {"仩亝", "\x81\xA0\x81\x85", "198f949ba049c32693ce035be19f7988"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.account);
        m_sim.ClearFaults();
        ASSERT_TRUE(SendStatReport(m_task, STAT_LOGIN, REPORT_VERSION_TEXT, "a", c.account));
        EXPECT_TRUE(WaitForReport(m_task));
        EXPECT_EQ(OnlyRequest().query, EventQuery("3", "001A2B3C4D5E", "a", c.onTheWire, c.key));
    }
}

TEST(ReasonReportParams, TicksAndFormEncodedGbkText) {
    struct Case {
        bool col1, col2, col3;
        const char* text;
        const char* params;
    } cases[] = {
        {true, false, true, "a b", "col=101&text=a+b"},
        {false, false, false, "", "col=000&text="},
        {false, true, false, "太贵了!", "col=010&text=%CC%AB%B9%F3%C1%CB!"},
        {true, true, true, "50% +x/y~*'()_-.\n", "col=111&text=50%25+%2Bx%2Fy~*'()_-.%0A"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReasonReportParams(c.col1, c.col2, c.col3, c.text), c.params) << c.text;
    }
}

TEST_F(StatReportTest, ReasonReportAppendsTheAdapterAddress) {
    ASSERT_TRUE(SendReasonReport(m_task, ReasonReportParams(true, false, true, "界面卡 慢")));
    EXPECT_TRUE(WaitForReport(m_task));
    auto request = OnlyRequest();
    EXPECT_EQ(request.path, "/mc_rea");
    EXPECT_EQ(request.query, "col=101&text=%BD%E7%C3%E6%BF%A8+%C2%FD&mac=001A2B3C4D5E");
    EXPECT_EQ(request.headers["user-agent"], "HTTP_STAT_POST");
}

// No adapter information: the address is empty, the key is taken over the empty text, and the
// report still goes out.
TEST_F(StatReportTest, WithoutAdapterTheReportGoesOutWithEmptyAddress) {
    struct Case {
        const char* name;
        CEthernetMac::AdapterSource source;
    } cases[] = {
        {"no adapter", FixedAdapters({})},
        {"list unreadable", FixedAdapters({FIRST_ADAPTER}, false)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_sim.ClearFaults();
        CEthernetMac::SetAdapterSource(c.source);
        ASSERT_TRUE(SendStatReport(m_task, STAT_START, REPORT_VERSION_TEXT, "a", ""));
        EXPECT_TRUE(WaitForReport(m_task));
        EXPECT_EQ(OnlyRequest().query, EventQuery("4", "", "a", "", "4a0c2e16ee78c092e78153f0b89b4941"));

        m_sim.ClearFaults();
        ASSERT_TRUE(SendReasonReport(m_task, "col=000&text="));
        EXPECT_TRUE(WaitForReport(m_task));
        EXPECT_EQ(OnlyRequest().query, "col=000&text=&mac=");
    }
}

// An error page, or headers followed by a body that never comes, end the report at once: the body
// is never read, the caller's wait ends well before the 20 s transfer limit and the task is idle.
TEST_F(StatReportTest, ErrorAnswersAndStalledBodiesChangeNothing) {
    for (Fault fault : {Fault::NotFound, Fault::ServerError, Fault::Stall}) {
        SCOPED_TRACE(static_cast<int>(fault));
        m_sim.ClearFaults();
        m_sim.SetFault("/mc_log", fault);
        ASSERT_TRUE(SendStatReport(m_task, STAT_START, REPORT_VERSION_TEXT, "a", ""));
        EXPECT_TRUE(WaitForReport(m_task));
        EXPECT_FALSE(m_task.HasWorker());
        EXPECT_EQ(OnlyRequest().query,
                  EventQuery("4", "001A2B3C4D5E", "a", "", "b2ff461809d40e3ff559eb197b8efc36"));
    }
}

// A server that never answers: the caller's wait ends at its bound and the worker stays recorded,
// so a second report only replaces the URL and is never sent as a request of its own. Once the
// worker gives up, the task takes reports again.
TEST_F(StatReportTest, OneWorkerAtATimeAndTheCallersWaitIsBounded) {
    SetReportTransferLimits(5000, 1500);
    StallWithoutAnswer(m_sim, "/mc_log");

    ASSERT_TRUE(SendStatReport(m_task, STAT_LOGIN, REPORT_VERSION_TEXT, "a", "first"));
    ASSERT_TRUE(WaitFor([&] { return m_sim.RequestCount("/mc_log") == 1; }));

    const auto waitStart = Clock::now();
    EXPECT_FALSE(WaitForReport(m_task, 300));
    const auto waited = Clock::now() - waitStart;
    EXPECT_GE(waited, 300ms);
    EXPECT_LT(waited, 1300ms);
    EXPECT_TRUE(m_task.HasWorker());

    EXPECT_FALSE(SendStatReport(m_task, STAT_LOGIN, REPORT_VERSION_TEXT, "a", "second"));
    EXPECT_FALSE(SendReasonReport(m_task, "col=100&text="));

    // The worker gives up after its transfer limit and signals; only then may a wait clear it.
    EXPECT_TRUE(WaitForReport(m_task, 10000));
    EXPECT_FALSE(m_task.HasWorker());
    auto requests = m_sim.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].query.find("&user=first&"), std::string::npos) << requests[0].query;

    m_sim.ClearFaults();
    ASSERT_TRUE(SendStatReport(m_task, STAT_LOGIN, REPORT_VERSION_TEXT, "a", "third"));
    EXPECT_TRUE(WaitForReport(m_task));
    auto request = OnlyRequest();
    EXPECT_NE(request.query.find("&user=third&"), std::string::npos) << request.query;
}

// The statistics service is reached directly even when the environment names a proxy (here one
// that nobody answers).
TEST_F(StatReportTest, ReportsBypassTheEnvironmentsProxy) {
    setenv("http_proxy", "http://127.0.0.1:9", 1);
    setenv("HTTP_PROXY", "http://127.0.0.1:9", 1);
    const bool started = SendStatReport(m_task, STAT_START, REPORT_VERSION_TEXT, "a", "");
    const bool ended = WaitForReport(m_task);
    unsetenv("http_proxy");
    unsetenv("HTTP_PROXY");
    ASSERT_TRUE(started);
    EXPECT_TRUE(ended);
    EXPECT_EQ(OnlyRequest().path, "/mc_log");
}

// A URL that cannot be split sends nothing, and its worker ends at once. However quickly it ends,
// the task must come back idle each time.
TEST_F(StatReportTest, UnusableUrlSendsNothingAndLeavesTheTaskIdle) {
    m_program.Write("urls.config", "[URLS]\nlogstat=127.0.0.1:" + std::to_string(m_sim.Port()) + "/mc_log\n");
    for (int round = 0; round < 500; ++round) {
        ASSERT_TRUE(SendStatReport(m_task, STAT_START, REPORT_VERSION_TEXT, "a", "")) << round;
        ASSERT_TRUE(WaitForReport(m_task, 5000)) << round;
    }
    EXPECT_TRUE(m_sim.Requests().empty());
}

TEST(SplitReportUrl, ServerPortAndObject) {
    struct Case {
        const char* url;
        const char* server;
        int port;
        const char* object;
    } cases[] = {
        {"http://stat.example/mc_log?&statcode=4", "stat.example", 80, "/mc_log?&statcode=4"},
        {"HTTP://stat.example:8080/mc_log", "stat.example", 8080, "/mc_log"},
        {"http://127.0.0.1:81", "127.0.0.1", 81, "/"},
        {"http://stat.example?&user=a b", "stat.example", 80, "/?&user=a b"},
        {"http://stat.example:/x", "stat.example", 80, "/x"},
        {"http://[::1]:8000/mc_rea?col=1", "[::1]", 8000, "/mc_rea?col=1"},
        {"http://stat.example/a?u=x/y:z@w#f", "stat.example", 80, "/a?u=x/y:z@w#f"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        ReportUrlParts parts;
        ASSERT_TRUE(SplitReportUrl(c.url, &parts));
        EXPECT_EQ(parts.server, c.server);
        EXPECT_EQ(parts.port, c.port);
        EXPECT_EQ(parts.object, c.object);
    }

    const char* unsplittable[] = {
        "",
        "stat.example/mc_log",
        "ftp://stat.example/mc_log",
        "http:///mc_log",
        "http://user@stat.example/mc_log",
        "http://stat.example:0/",
        "http://stat.example:65536/",
        "http://stat.example:80a/",
        "http://stat example/",
        "http://[::1/",
    };
    for (const char* url : unsplittable) {
        ReportUrlParts parts;
        EXPECT_FALSE(SplitReportUrl(url, &parts)) << url;
    }
}

TEST(CEthernetMac, FreshObjectGivesTheFirstAdapterThenMovesOn) {
    CEthernetMac::SetAdapterSource(FixedAdapters({FIRST_ADAPTER, SECOND_ADAPTER}));
    CEthernetMac mac;
    EXPECT_EQ(mac.GetMacText(), "001A2B3C4D5E");
    EXPECT_EQ(mac.GetMacText(), "ABCDEF010203");
    EXPECT_EQ(mac.GetMacText(), "");
    EXPECT_EQ(CEthernetMac().GetMacText(), "001A2B3C4D5E");
    CEthernetMac::SetAdapterSource(nullptr);
}

// The platform's answer against the kernel's own list: the first interface by index that is not
// loopback (flag 0x8) and has a six-byte address.
TEST(CEthernetMac, PlatformGivesTheFirstNonLoopbackInterface) {
    struct Interface {
        int index;
        std::string address;
    };
    std::vector<Interface> interfaces;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/class/net", error)) {
        auto read = [&](const char* name) {
            std::ifstream file(entry.path() / name);
            std::string value;
            std::getline(file, value);
            return value;
        };
        const std::string flags = read("flags");
        if (flags.empty() || (std::stoul(flags, nullptr, 16) & 0x8) || read("addr_len") != "6") continue;
        std::string address;
        for (char c : read("address")) {
            if (c != ':') address += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
        interfaces.push_back({std::stoi(read("ifindex")), address});
    }
    std::sort(interfaces.begin(), interfaces.end(),
              [](const auto& a, const auto& b) { return a.index < b.index; });

    const std::string text = CEthernetMac().GetMacText();
    if (interfaces.empty()) {
        EXPECT_EQ(text, "");
    } else {
        EXPECT_EQ(text, interfaces.front().address);
        EXPECT_TRUE(std::regex_match(text, std::regex("[0-9A-F]{12}"))) << text;
    }
}

}  // namespace
