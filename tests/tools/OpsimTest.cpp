#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/OperatorSimulator.h"
#include "tests/support/TempDir.h"

using namespace std::chrono_literals;
using test::OperatorSimulator;
using Fault = OperatorSimulator::Fault;

namespace {

struct Reply {
    CURLcode code { CURLE_OK };
    long status { 0 };
    std::string body;
    std::chrono::milliseconds elapsed { 0 };
};

struct FetchOptions {
    CURL* handle { nullptr };         // reused when given, else a fresh handle
    // Give up when under 1000 bytes/s for this long. curl averages the speed over about five
    // seconds, so a lower limit lets the first bytes of a stalled reply hide the stall for that long.
    long lowSpeedSeconds { 0 };
    bool pathAsIs { false };          // send "/../" as written
    std::vector<std::string> headers {};
    std::string postBody {};          // POST when not empty
    std::string requestTarget {};     // sent as the request line's target, byte for byte, when not empty
};

std::size_t Append(char* data, std::size_t size, std::size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

Reply Fetch(const std::string& url, const FetchOptions& options = {}) {
    CURL* curl = options.handle ? options.handle : curl_easy_init();
    Reply reply;
    curl_slist* headers = nullptr;
    for (const auto& header : options.headers) headers = curl_slist_append(headers, header.c_str());
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, options.pathAsIs ? 1L : 0L);
    const char* target = options.requestTarget.empty() ? nullptr : options.requestTarget.c_str();
    curl_easy_setopt(curl, CURLOPT_REQUEST_TARGET, target);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, options.lowSpeedSeconds ? 1000L : 0L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, options.lowSpeedSeconds);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Append);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply.body);
    if (!options.postBody.empty()) {
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, options.postBody.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(options.postBody.size()));
    } else {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    }
    auto start = std::chrono::steady_clock::now();
    reply.code = curl_easy_perform(curl);
    reply.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply.status);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    curl_slist_free_all(headers);
    if (!options.handle) curl_easy_cleanup(curl);
    return reply;
}

template <typename Predicate>
bool WaitFor(Predicate predicate, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!predicate()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// Every byte value, NULs and CR/LF included, repeated past one socket buffer.
std::string BinaryContent(std::size_t size) {
    std::string content(size, '\0');
    for (std::size_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return content;
}

class OpsimTest : public ::testing::Test {
protected:
    std::string Url(const std::string& path) const { return m_sim.BaseUrl() + path; }

    test::TempDir m_root;
    OperatorSimulator m_sim { m_root.Path() };
};

TEST_F(OpsimTest, ServesFilesByteForByte) {
    struct Case {
        const char* file;
        const char* url;
        std::string content;
    } cases[] = {
        {"220_9/ui/skin.swf", "220_9/ui/skin.swf", BinaryContent(300000)},
        {"a b.swf", "a%20b.swf", BinaryContent(1000)},
        {"top.txt", "top.txt?v=17&x", "the query plays no part in finding the file"},
        {"empty.dat", "empty.dat", ""},
    };
    for (const auto& c : cases) m_root.Write(c.file, c.content);
    for (const auto& c : cases) {
        Reply reply = Fetch(Url(c.url));
        EXPECT_EQ(reply.code, CURLE_OK) << c.url;
        EXPECT_EQ(reply.status, 200) << c.url;
        EXPECT_TRUE(reply.body == c.content) << c.url << ": " << reply.body.size() << " bytes";
    }
}

TEST_F(OpsimTest, MissingFilesAndDirectoriesGiveA404Page) {
    m_root.Write("220_9/a.swf", "x");
    for (const char* path : {"nothing.swf", "220_9/", "220_9", "", "220_9/a.swf/more"}) {
        Reply reply = Fetch(Url(path));
        EXPECT_EQ(reply.code, CURLE_OK) << path;
        EXPECT_EQ(reply.status, 404) << path;
        EXPECT_NE(reply.body.find("<html>"), std::string::npos) << path;
        EXPECT_NE(reply.body.find("Not Found"), std::string::npos) << path;
    }
}

TEST_F(OpsimTest, NeverServesAnythingOutsideTheRoot) {
    // A sibling of the root, so that "../<name>/secret.txt" would reach it.
    test::TempDir outside;
    ASSERT_EQ(outside.Path().parent_path(), m_root.Path().parent_path());
    const std::string secret = "outside-secret-7731";
    outside.Write("secret.txt", secret);
    const std::string sibling = outside.Path().filename().string();
    m_root.Write("sub/inner.txt", "inside");
    std::filesystem::create_directory_symlink(outside.Path(), m_root / "out");
    std::filesystem::create_symlink(outside / "secret.txt", m_root / "leak.txt");
    std::filesystem::create_symlink(m_root / "sub/inner.txt", m_root / "alias.txt");

    struct Case {
        std::string path;
        bool pathAsIs;
    } cases[] = {
        {"../" + sibling + "/secret.txt", true},
        {"sub/../../" + sibling + "/secret.txt", true},
        {"%2e%2e/" + sibling + "/secret.txt", false},
        {"sub/%2E%2E/%2e%2e/" + sibling + "/secret.txt", false},
        {"..%2f" + sibling + "%2fsecret.txt", false},
        {"%2F" + outside.Path().relative_path().string() + "/secret.txt", false},
        {"out/secret.txt", false},
        {"leak.txt", false},
    };
    for (const auto& c : cases) {
        Reply reply = Fetch(Url(c.path), {.pathAsIs = c.pathAsIs});
        EXPECT_EQ(reply.status, 404) << c.path;
        EXPECT_EQ(reply.body.find(secret), std::string::npos) << c.path;
    }
    // A link that stays inside the root is an ordinary file.
    Reply alias = Fetch(Url("alias.txt"));
    EXPECT_EQ(alias.status, 200);
    EXPECT_EQ(alias.body, "inside");
}

TEST_F(OpsimTest, FaultsShapeEveryLaterReplyOfTheirPathUntilCleared) {
    const std::string content = BinaryContent(16384);
    m_root.Write("220_9/a.swf", content);
    m_root.Write("220_9/b.swf", "untouched");

    struct Case {
        Fault fault;
        CURLcode code;
        long status;
        std::size_t minSize;
        std::size_t maxSize;
        const char* bodyHas;
    } cases[] = {
        {Fault::NotFound, CURLE_OK, 404, 1, 1000, "Not Found"},
        {Fault::ServerError, CURLE_OK, 500, 1, 1000, ""},
        {Fault::Empty, CURLE_OK, 200, 0, 0, ""},
        // Cut off and stalled replies announce the whole length and deliver part of it.
        {Fault::CutOff, CURLE_PARTIAL_FILE, 200, 1, content.size() - 1, ""},
        {Fault::Stall, CURLE_OPERATION_TIMEDOUT, 200, 1, content.size() - 1, ""},
        {Fault::Slow, CURLE_OK, 200, content.size(), content.size(), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        m_sim.SetFault("/220_9/a.swf", c.fault);
        for (int round = 0; round < 2; ++round) {
            Reply reply = Fetch(Url("220_9/a.swf"), {.lowSpeedSeconds = 1});
            EXPECT_EQ(reply.code, c.code);
            EXPECT_EQ(reply.status, c.status);
            EXPECT_GE(reply.body.size(), c.minSize);
            EXPECT_LE(reply.body.size(), c.maxSize);
            EXPECT_NE(reply.body.find(c.bodyHas), std::string::npos);
            if (c.status == 200) {
                EXPECT_EQ(reply.body, content.substr(0, reply.body.size()));
            }
        }
        EXPECT_EQ(Fetch(Url("220_9/b.swf")).body, "untouched");
    }
    m_sim.SetFault("/220_9/a.swf", Fault::None);
    Reply healed = Fetch(Url("220_9/a.swf"));
    EXPECT_EQ(healed.code, CURLE_OK);
    EXPECT_TRUE(healed.body == content);
}

TEST_F(OpsimTest, ClearFaultsHealsEveryPathAndAFaultMayNameTheDecodedPath) {
    m_root.Write("a b.swf", "spaced");
    m_root.Write("c.swf", "plain");
    m_sim.SetFault("/a b.swf", Fault::ServerError);
    m_sim.SetFault("/c.swf", Fault::Empty);
    EXPECT_EQ(Fetch(Url("a%20b.swf")).status, 500);
    EXPECT_EQ(Fetch(Url("c.swf")).body, "");

    m_sim.ClearFaults();
    EXPECT_EQ(Fetch(Url("a%20b.swf")).body, "spaced");
    EXPECT_EQ(Fetch(Url("c.swf")).body, "plain");
}

TEST_F(OpsimTest, SlowDeliversEverythingAtTheSetPace) {
    const std::string content = BinaryContent(10240);
    m_root.Write("slow.bin", content);
    m_sim.SetSlow("/slow.bin", 1024, 30);  // ten chunks, nine pauses between them
    Reply reply = Fetch(Url("slow.bin"));
    EXPECT_EQ(reply.code, CURLE_OK);
    EXPECT_TRUE(reply.body == content);
    EXPECT_GE(reply.elapsed, 260ms);
}

TEST_F(OpsimTest, RequestLogKeepsMethodPathQueryAndHeadersInOrder) {
    m_root.Write("220_9/a.swf", "a");
    m_sim.SetFault("/other", Fault::NotFound);  // control calls stay out of the log
    Fetch(Url("220_9/a.swf?ver=3&name=a%20b"), {.headers = {"X-Tlv-Probe: 42"}});
    Fetch(Url("mc_log?t=1"), {.postBody = "k=v"});
    Fetch(Url("dir/a%20b.swf"));

    auto requests = m_sim.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].path, "/220_9/a.swf");
    EXPECT_EQ(requests[0].query, "ver=3&name=a%20b");
    EXPECT_EQ(requests[0].headers["x-tlv-probe"], "42");
    EXPECT_EQ(requests[0].headers["host"], "127.0.0.1:" + std::to_string(m_sim.Port()));
    EXPECT_EQ(requests[1].method, "POST");
    EXPECT_EQ(requests[1].path, "/mc_log");
    EXPECT_EQ(requests[1].query, "t=1");
    EXPECT_EQ(requests[2].path, "/dir/a%20b.swf");  // as sent
    EXPECT_EQ(requests[2].query, "");

    EXPECT_EQ(m_sim.RequestCount("/220_9/a.swf"), 1u);
    EXPECT_EQ(m_sim.RequestCount("/dir/a%20b.swf"), 1u);
    EXPECT_EQ(m_sim.RequestCount("/other"), 0u);

    m_sim.ClearFaults();
    EXPECT_TRUE(m_sim.Requests().empty());
    EXPECT_EQ(m_sim.RequestCount("/220_9/a.swf"), 0u);
}

// The report endpoints answer a short text and the log gives back every byte of the target: GBK
// bytes (0xA0 and 0x85 among them, which Python's own word split would cut at), escapes kept,
// the "#" part included.
TEST_F(OpsimTest, ReportEndpointsAnswerAndTheLogKeepsRawTargets) {
    const std::string query = "&user=\xD5\xC5\x81\xA0\x81\x85%41+b#frag";
    Reply log = Fetch(Url(""), {.requestTarget = "/mc_log?" + query});
    EXPECT_EQ(log.status, 200);
    EXPECT_FALSE(log.body.empty());
    Reply reason = Fetch(Url("mc_rea?col=101&text=a+b&mac="));
    EXPECT_EQ(reason.status, 200);
    m_sim.SetFault("/mc_rea", Fault::NotFound);
    EXPECT_EQ(Fetch(Url("mc_rea?col=000&text=")).status, 404);

    auto requests = m_sim.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].path, "/mc_log");
    EXPECT_EQ(requests[0].query, query);
    EXPECT_EQ(requests[1].path, "/mc_rea");
    EXPECT_EQ(requests[1].query, "col=101&text=a+b&mac=");
    EXPECT_EQ(requests[2].query, "col=000&text=");
}

// A stall without its head is a server that takes the request and never answers at all.
TEST_F(OpsimTest, StallWithoutHeadSendsNothing) {
    const std::string silentStall = R"({"path": "/mc_log", "fault": "stall", "send_head": 0})";
    ASSERT_EQ(Fetch(Url("__sim/fault"), {.postBody = silentStall}).status, 200);
    m_sim.SetFault("/mc_rea", Fault::Stall);

    Reply silent = Fetch(Url("mc_log?&statcode=4"), {.lowSpeedSeconds = 1});
    EXPECT_EQ(silent.code, CURLE_OPERATION_TIMEDOUT);
    EXPECT_EQ(silent.status, 0);  // not even a status line
    Reply headed = Fetch(Url("mc_rea?col=000"), {.lowSpeedSeconds = 1});
    EXPECT_EQ(headed.code, CURLE_OPERATION_TIMEDOUT);
    EXPECT_EQ(headed.status, 200);
    EXPECT_EQ(m_sim.RequestCount("/mc_log"), 1u);
}

TEST_F(OpsimTest, OneEasyHandleKeepsOneConnection) {
    m_root.Write("a.swf", "a");
    m_root.Write("b.swf", "b");
    EXPECT_EQ(m_sim.ConnectionsAccepted(), 0);  // the control calls' own connection is not counted

    CURL* handle = curl_easy_init();
    EXPECT_EQ(Fetch(Url("a.swf"), {.handle = handle}).body, "a");
    EXPECT_EQ(Fetch(Url("b.swf"), {.handle = handle}).body, "b");
    curl_easy_cleanup(handle);
    EXPECT_EQ(m_sim.ConnectionsAccepted(), 1);

    Fetch(Url("a.swf"));
    EXPECT_EQ(m_sim.ConnectionsAccepted(), 2);
}

TEST(OperatorSimulatorProcess, ServesWhileTwentyClientsStallAndStillStopsPromptly) {
    test::TempDir root;
    root.Write("stuck.bin", BinaryContent(4096));
    root.Write("fine.txt", "fine");
    auto sim = std::make_unique<OperatorSimulator>(root.Path());
    sim->SetFault("/stuck.bin", Fault::Stall);

    constexpr int STALLED = 20;
    const std::string stuckUrl = sim->BaseUrl() + "stuck.bin";
    std::vector<Reply> stalled(STALLED);
    std::vector<std::thread> clients;
    for (auto& reply : stalled)
        clients.emplace_back([&reply, &stuckUrl] { reply = Fetch(stuckUrl, {.lowSpeedSeconds = 15}); });

    EXPECT_TRUE(WaitFor([&] { return sim->ConnectionsAccepted() >= STALLED; }, 10s));
    Reply fine = Fetch(sim->BaseUrl() + "fine.txt");
    EXPECT_EQ(fine.body, "fine");
    EXPECT_LT(fine.elapsed, 2s);

    // The stalled replies must hold up neither the stop nor their clients: the process ends on
    // its SIGTERM (well within the grace before SIGKILL) and every connection closes with it.
    auto stop = std::chrono::steady_clock::now();
    sim.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - stop, 1500ms);
    for (auto& client : clients) client.join();
    EXPECT_LT(std::chrono::steady_clock::now() - stop, 5s);
    for (const auto& reply : stalled) {
        EXPECT_NE(reply.code, CURLE_OK);
        EXPECT_NE(reply.code, CURLE_OPERATION_TIMEDOUT);
        EXPECT_GT(reply.body.size(), 0u);
    }
}

TEST(OperatorSimulatorProcess, StartFailureThrowsAtOnce) {
    test::TempDir dir;
    auto start = std::chrono::steady_clock::now();
    EXPECT_THROW({ OperatorSimulator sim(dir / "no-such-root"); }, std::runtime_error);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

}  // namespace
