#include <curl/curl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cache/FileUtils.h"
#include "platform/ExecutablePath.h"
#include "platform/HttpFileServer.h"
#include "server/ResourceServer.h"
#include "tests/support/TempDir.h"

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Reply {
    CURLcode result { CURLE_OK };
    long status { 0 };
    std::string body;
    std::string contentType;
    std::string headers;  // as received, lines with CR LF
    curl_off_t contentLength { -1 };
    long newConnections { 0 };
};

std::size_t Append(char* data, std::size_t size, std::size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

// One libcurl handle; its connection is kept between requests as a browser keeps it.
class Client {
public:
    Client() : m_curl(curl_easy_init()) {}
    ~Client() { curl_easy_cleanup(m_curl); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // GET of `path` (sent as written, no dot removal) from `host`.
    Reply Get(std::uint16_t port, const std::string& path, const std::string& host = "127.0.0.1") {
        return Perform("GET", "http://" + host + ":" + std::to_string(port) + path, nullptr, {});
    }
    // A request whose line carries `target` byte for byte, whatever it holds.
    Reply Raw(std::uint16_t port, const std::string& target, const std::vector<std::string>& headers = {},
              const std::string& method = "GET") {
        return Perform(method, "http://127.0.0.1:" + std::to_string(port) + "/", target.c_str(), headers);
    }

private:
    Reply Perform(const std::string& method, const std::string& url, const char* target,
                  const std::vector<std::string>& headers) {
        Reply reply;
        curl_slist* list = nullptr;
        for (const std::string& header : headers) list = curl_slist_append(list, header.c_str());
        curl_easy_setopt(m_curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(m_curl, CURLOPT_REQUEST_TARGET, target);
        curl_easy_setopt(m_curl, CURLOPT_HTTPHEADER, list);
        curl_easy_setopt(m_curl, CURLOPT_NOBODY, method == "HEAD" ? 1L : 0L);
        curl_easy_setopt(m_curl, CURLOPT_CUSTOMREQUEST,
                         method == "GET" || method == "HEAD" ? nullptr : method.c_str());
        curl_easy_setopt(m_curl, CURLOPT_PATH_AS_IS, 1L);
        curl_easy_setopt(m_curl, CURLOPT_NOPROXY, "*");
        curl_easy_setopt(m_curl, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(m_curl, CURLOPT_TIMEOUT, 20L);
        curl_easy_setopt(m_curl, CURLOPT_WRITEFUNCTION, Append);
        curl_easy_setopt(m_curl, CURLOPT_WRITEDATA, &reply.body);
        curl_easy_setopt(m_curl, CURLOPT_HEADERFUNCTION, Append);
        curl_easy_setopt(m_curl, CURLOPT_HEADERDATA, &reply.headers);
        reply.result = curl_easy_perform(m_curl);
        curl_easy_setopt(m_curl, CURLOPT_HTTPHEADER, nullptr);
        curl_slist_free_all(list);
        curl_easy_getinfo(m_curl, CURLINFO_RESPONSE_CODE, &reply.status);
        char* type = nullptr;
        if (curl_easy_getinfo(m_curl, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
            reply.contentType = type;
        curl_easy_getinfo(m_curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &reply.contentLength);
        curl_easy_getinfo(m_curl, CURLINFO_NUM_CONNECTS, &reply.newConnections);
        return reply;
    }

    CURL* m_curl;
};

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

std::string Bytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

// Every entry below `root` with its size (directories as -1): what a request must not change.
std::set<std::pair<std::string, std::intmax_t>> Snapshot(const fs::path& root) {
    std::set<std::pair<std::string, std::intmax_t>> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        bool file = entry.is_regular_file() && !entry.is_symlink();
        entries.emplace(entry.path().string(), file ? static_cast<std::intmax_t>(entry.file_size()) : -1);
    }
    return entries;
}

class ResourceServerTest : public ::testing::Test {
protected:
    void SetUp() override { platform::OverrideExecutablePath((program / "Tlvc").string()); }
    void TearDown() override {
        server.reset();
        platform::HttpFileServer::SetBindFailureForTesting(false);
        platform::OverrideExecutablePath("");
    }

    void Start() {
        ASSERT_TRUE(server->StartResourceServer());
        ASSERT_NE(server->port, 0);
    }
    // Writes a file into the cache and returns its contents.
    std::string Cache(const std::string& relative, const std::string& contents) {
        program.Write("update/" + relative, contents);
        return contents;
    }

    test::TempDir program;
    int closeRequests { 0 };
    std::unique_ptr<ResourceServer> server = std::make_unique<ResourceServer>([this] { ++closeRequests; });
};

TEST_F(ResourceServerTest, MakesTheCacheAndServesItsFilesByteForByte) {
    ASSERT_FALSE(fs::exists(program / "update"));
    Start();
    EXPECT_TRUE(fs::is_directory(program / "update"));
    EXPECT_EQ(server->documentRoot, (program / "update").string() + "/");

    // Files that appear after the start are served too.
    std::string manifest =
        Cache("FileVersion.xml",
              "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<files>\r\n"
              "  <file name=\"Lobby.swf\" md5=\"0f\" note=\"\xc3\xa9t\xc3\xa9\"/>\r\n</files>\r\n");
    std::string movie = Cache("movies/lobby/Main.swf", Bytes(300 * 1024 + 7, 1));
    std::string empty = Cache("empty.json", "");

    Client client;
    Reply reply = client.Get(server->port, "/FileVersion.xml");
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, manifest);
    EXPECT_EQ(reply.contentLength, static_cast<curl_off_t>(manifest.size()));

    reply = client.Get(server->port, "/movies/lobby/Main.swf");
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(reply.body == movie) << "body of " << reply.body.size() << " bytes differs";
    EXPECT_EQ(reply.newConnections, 0) << "keep-alive: the second request reuses the connection";

    reply = client.Get(server->port, "/empty.json");
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, "");
}

TEST_F(ResourceServerTest, AnythingButACachedFileIs404AndChangesNothing) {
    Cache("movies/a.swf", "swf");
    Cache("index.html", "index");
    Start();
    auto before = Snapshot(program.Path());

    Client client;
    // Directories never answer with an index file, a listing or a redirect.
    for (const char* path :
         {"/missing.swf", "/movies/missing.png", "/movies", "/movies/", "/", "/movies/a.swf/x"}) {
        Reply reply = client.Get(server->port, path);
        EXPECT_EQ(reply.status, 404) << path;
        EXPECT_EQ(reply.body.find("index"), std::string::npos) << path;
    }
    Reply reply = client.Get(server->port, "/movies/a.swf");
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.newConnections, 0) << "a 404 keeps the connection";
    EXPECT_EQ(Snapshot(program.Path()), before);
}

TEST_F(ResourceServerTest, SecondStartKeepsTheListenerAndItsPort) {
    Cache("a.png", "png");
    Start();
    std::uint16_t port = server->port;
    EXPECT_TRUE(server->StartResourceServer());
    EXPECT_EQ(server->port, port);
    EXPECT_EQ(Client().Get(port, "/a.png").body, "png");

    server->StopResourceServer();
    EXPECT_EQ(server->port, 0);
    EXPECT_NE(Client().Get(port, "/a.png").result, CURLE_OK) << "nothing listens after the stop";
    server->StopResourceServer();  // a second stop does nothing
}

TEST_F(ResourceServerTest, BindFailureLogsAndAsksTheOwnerToClose) {
    program.Write("log.txt", "earlier line\r\n");
    platform::HttpFileServer::SetBindFailureForTesting(true);

    EXPECT_FALSE(server->StartResourceServer());
    EXPECT_EQ(program.Read("log.txt"), "earlier line\r\nmg bind error\r\n");
    EXPECT_EQ(closeRequests, 1);
    EXPECT_EQ(server->port, 0);
    EXPECT_FALSE(fs::exists(program / "update")) << "nothing else happens";

    // A later start on the same owner binds as usual.
    platform::HttpFileServer::SetBindFailureForTesting(false);
    Start();
    EXPECT_EQ(closeRequests, 1);
}

TEST_F(ResourceServerTest, NamesTheContentTypes) {
    struct Case {
        const char* file;
        const char* type;
    };
    const Case cases[] = {
        {"movie.swf", "application/x-shockwave-flash"},
        {"FileVersion.xml", "text/xml"},
        {"pic.png", "image/png"},
        {"PIC2.PNG", "image/png"},
        {"photo.jpg", "image/jpeg"},
        {"photo.jpeg", "image/jpeg"},
        {"data.json", "application/json"},
        {"code.js", "application/javascript"},
        {"style.css", "text/css"},
        {"page.html", "text/html"},
        {"sound.mp3", "audio/mpeg"},
        {"blob.bin", "application/octet-stream"},
    };
    for (const Case& c : cases) Cache(std::string("types/") + c.file, c.file);
    Start();
    Client client;
    for (const Case& c : cases) {
        Reply reply = client.Get(server->port, std::string("/types/") + c.file);
        EXPECT_EQ(reply.status, 200) << c.file;
        EXPECT_EQ(reply.contentType, c.type) << c.file;
        EXPECT_EQ(reply.body, c.file);
    }
}

TEST_F(ResourceServerTest, NoRequestReadsOutsideTheCache) {
    program.Write("secret.txt", "SECRET");
    program.Write("other/secret.txt", "SECRET");
    Cache("sub/file.txt", "inside");
    fs::create_symlink(program / "secret.txt", program / "update/abs-link.txt");
    fs::create_symlink("../secret.txt", program / "update/rel-link.txt");
    fs::create_directory_symlink(program / "other", program / "update/dir-link");
    fs::create_directory_symlink("../..", program / "update/sub/up-link");
    // A link that stays inside the cache is no escape.
    fs::create_symlink("sub/file.txt", program / "update/alias.txt");
    Start();

    const std::string secret = (program / "secret.txt").string();
    const std::string escapes[] = {
        "/../secret.txt",
        "/sub/../../secret.txt",
        "/%2e%2e/secret.txt",
        "/%2E%2E/secret.txt",
        "/sub/%2e%2e/%2e%2e/secret.txt",
        "/..%2fsecret.txt",
        "/sub%2f..%2f..%2fsecret.txt",
        "/%2e%2e%2fsecret.txt",
        "/..\\secret.txt",
        "/sub\\..\\..\\secret.txt",
        "/%5c..%5csecret.txt",
        "/sub/%5c..%5c..%5csecret.txt",
        "//secret.txt",
        "/sub//../../secret.txt",
        "//" + secret.substr(1),
        secret,
        "/" + secret,
        "http://127.0.0.1/../secret.txt",
        "file://" + secret,
        "/abs-link.txt",
        "/rel-link.txt",
        "/dir-link/secret.txt",
        "/sub/up-link/secret.txt",
        "/sub/file.txt%00.png",
        "/sub//file.txt",
    };
    Client client;
    // A range or a condition takes another way through the server; it must hold there as well.
    for (const std::vector<std::string>& headers : std::vector<std::vector<std::string>>{
             {}, {"Range: bytes=0-"}, {"If-Modified-Since: Thu, 01 Jan 1970 00:00:00 GMT"}}) {
        std::string with = headers.empty() ? "" : " with " + headers[0];
        for (const std::string& target : escapes) {
            Reply reply = client.Raw(server->port, target, headers);
            EXPECT_GE(reply.status, 400) << target << with;
            EXPECT_EQ(reply.body.find("SECRET"), std::string::npos) << target << with;
        }
        for (const char* target : {"/sub/file.txt", "/alias.txt", "/sub/./file.txt"}) {
            Reply reply = client.Raw(server->port, target, headers);
            EXPECT_EQ(reply.status, headers.empty()        ? 200
                                    : headers[0][0] == 'R' ? 206
                                                           : 200)
                << target << with;
            EXPECT_EQ(reply.body, "inside") << target << with;
        }
    }
}

TEST_F(ResourceServerTest, AnswersHeadRangesAndConditionsAsAFileServerShould) {
    const std::string movie = Cache("m/movie.swf", Bytes(100000, 3));
    Start();
    Client client;

    Reply head = client.Raw(server->port, "/m/movie.swf", {}, "HEAD");
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.contentLength, 100000);
    EXPECT_EQ(head.body, "");
    EXPECT_NE(head.headers.find("last-modified: "), std::string::npos) << head.headers;
    std::size_t at = head.headers.find("etag: ");
    ASSERT_NE(at, std::string::npos) << head.headers;
    std::string etag = head.headers.substr(at + 6, head.headers.find("\r\n", at) - at - 6);

    Reply range = client.Raw(server->port, "/m/movie.swf", {"Range: bytes=10-19"});
    EXPECT_EQ(range.status, 206);
    EXPECT_EQ(range.body, movie.substr(10, 10));

    // The tag sent with the whole file is the one the conditional answer compares against.
    Reply unchanged = client.Raw(server->port, "/m/movie.swf", {"If-None-Match: " + etag});
    EXPECT_EQ(unchanged.status, 304);
    EXPECT_EQ(unchanged.body, "");
    Reply changed = client.Raw(server->port, "/m/movie.swf", {"If-None-Match: \"other\""});
    EXPECT_EQ(changed.status, 200);
    EXPECT_TRUE(changed.body == movie);

    Reply post = client.Raw(server->port, "/m/movie.swf", {}, "POST");
    EXPECT_EQ(post.status, 405);
    EXPECT_EQ(client.Raw(server->port, "/m/missing.swf", {}, "POST").status, 404);
    EXPECT_EQ(client.Raw(server->port, "/m/missing.swf", {}, "HEAD").status, 404);
}

TEST_F(ResourceServerTest, ConcurrentClientsGetTheirFilesWhole) {
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 40; ++i) {
        std::string path = "assets/d" + std::to_string(i % 5) + "/f" + std::to_string(i) + ".png";
        std::size_t size = i == 0 ? 0 : static_cast<std::size_t>(i) * 5000 + static_cast<std::size_t>(i % 7);
        files.emplace_back(path, Cache(path, Bytes(size, static_cast<unsigned>(i))));
    }
    Start();

    std::atomic<int> good { 0 };
    std::atomic<int> bad { 0 };
    std::vector<std::thread> clients;
    for (unsigned t = 0; t < 8; ++t) {
        clients.emplace_back([&, t] {
            Client client;
            std::vector<std::size_t> order(files.size());
            for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
            std::mt19937 random(t);
            for (int round = 0; round < 3; ++round) {
                std::shuffle(order.begin(), order.end(), random);
                for (std::size_t i : order) {
                    Reply reply = client.Get(server->port, "/" + files[i].first);
                    (reply.status == 200 && reply.body == files[i].second ? good : bad)++;
                }
            }
        });
    }
    for (auto& client : clients) client.join();
    EXPECT_EQ(bad.load(), 0);
    EXPECT_EQ(good.load(), 8 * 3 * 40);
}

TEST_F(ResourceServerTest, FileReplacedWhileServedComesWholeOldOrNew) {
    const std::string oldBody = Cache("live/swap.swf", Bytes(200 * 1024, 7));
    const std::string newBody = Bytes(150 * 1024 + 3, 8);
    const std::string stored = test::ClientPath(program / "update/live/swap.swf");
    Start();

    std::atomic<bool> done { false };
    std::atomic<int> replacements { 0 };
    std::thread writer([&] {
        bool flip = false;
        while (!done) {
            ASSERT_TRUE(ReplaceFileContents(stored, flip ? oldBody : newBody));
            flip = !flip;
            ++replacements;
        }
    });

    std::atomic<int> mixed { 0 };
    std::atomic<int> sawOld { 0 };
    std::atomic<int> sawNew { 0 };
    std::vector<std::thread> readers;
    for (int r = 0; r < 4; ++r) {
        readers.emplace_back([&] {
            Client client;
            auto deadline = Clock::now() + 15s;
            for (int fetches = 0; Clock::now() < deadline; ++fetches) {
                if (fetches >= 40 && sawOld > 0 && sawNew > 0) break;
                Reply reply = client.Get(server->port, "/live/swap.swf");
                if (reply.status == 200 && reply.body == oldBody) {
                    ++sawOld;
                } else if (reply.status == 200 && reply.body == newBody) {
                    ++sawNew;
                } else {
                    ++mixed;
                }
            }
        });
    }
    for (auto& reader : readers) reader.join();
    done = true;
    writer.join();

    EXPECT_EQ(mixed.load(), 0);
    EXPECT_GT(sawOld.load(), 0);
    EXPECT_GT(sawNew.load(), 0);
    EXPECT_GT(replacements.load(), 10);
}

TEST_F(ResourceServerTest, OwnerEndsPromptlyWhileASlowClientDownloads) {
    constexpr std::uintmax_t BIG = 50u << 20;
    program.Write("update/big.swf", "");
    fs::resize_file(program / "update/big.swf", BIG);
    Cache("small.png", "small");
    Start();
    std::uint16_t port = server->port;

    // An idle keep-alive connection ...
    Client idle;
    ASSERT_EQ(idle.Get(port, "/small.png").status, 200);

    // ... and a client that asks for the big file, takes its first bytes and then reads no more.
    CURL* slow = curl_easy_init();
    curl_easy_setopt(slow, CURLOPT_URL, ("http://127.0.0.1:" + std::to_string(port) + "/").c_str());
    curl_easy_setopt(slow, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(slow, CURLOPT_CONNECT_ONLY, 1L);
    ASSERT_EQ(curl_easy_perform(slow), CURLE_OK);
    const std::string request = "GET /big.swf HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    std::size_t sent = 0;
    ASSERT_EQ(curl_easy_send(slow, request.data(), request.size(), &sent), CURLE_OK);
    ASSERT_EQ(sent, request.size());
    std::uintmax_t received = 0;
    char buffer[65536];
    auto receive = [&] {
        std::size_t n = 0;
        CURLcode result = curl_easy_recv(slow, buffer, sizeof buffer, &n);
        received += n;
        return result;
    };
    ASSERT_TRUE(WaitFor([&] { return receive() == CURLE_OK && received > 0; }, 5s));

    auto before = Clock::now();
    server.reset();
    auto took = Clock::now() - before;
    EXPECT_LT(took, 1500ms) << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";

    // The download was cut off: what was under way in the socket buffers drains, then the end.
    bool ended = WaitFor(
        [&] {
            std::size_t before = received;
            CURLcode result = receive();
            return result != CURLE_AGAIN && (result != CURLE_OK || received == before);
        },
        10s);
    EXPECT_TRUE(ended);
    EXPECT_LT(received, BIG);
    curl_easy_cleanup(slow);
    EXPECT_NE(idle.Get(port, "/small.png").status, 200);
}

TEST_F(ResourceServerTest, ListensOnEveryInterfaceNotJustLoopbackOne) {
    Cache("a.png", "png");
    Start();
    // 127.0.0.2 is another local address of this machine; a listener bound to 127.0.0.1 alone
    // would refuse it. Other addresses of the machine are not tried: traffic stays on loopback.
    Reply reply = Client().Get(server->port, "/a.png", "127.0.0.2");
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, "png");
}

}  // namespace
