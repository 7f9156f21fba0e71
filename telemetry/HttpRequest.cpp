#include "telemetry/HttpRequest.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>

#include "platform/Thread.h"
#include "telemetry/BodyBufferPool.h"
#include "telemetry/CHttpProxy.h"
#include "telemetry/CurlHandlePool.h"
#include "telemetry/HttpInternals.h"
#include "telemetry/VHttpCallback.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr long DEFAULT_CONNECT_MS = 15000;
constexpr long DEFAULT_STALL_MS = 30000;
constexpr long MAX_REDIRECTS = 10;

std::atomic<long> g_connectMs { DEFAULT_CONNECT_MS };
std::atomic<long> g_stallMs { DEFAULT_STALL_MS };
std::atomic<std::size_t> g_bodyLimit { HTTP_BODY_LIMIT };
std::atomic<bool> g_failThreadStarts { false };

// What one transfer runs under, fixed when it starts.
struct TransferSettings {
    long connectMs { DEFAULT_CONNECT_MS };
    long stallMs { DEFAULT_STALL_MS };
    std::size_t bodyLimit { HTTP_BODY_LIMIT };
};

// Watches one transfer for silence. libcurl's own low-speed check averages over a window of
// several seconds, so a server that sends a few bytes and then nothing would hold the transfer far
// past the stall limit; the watch ends it once nothing has arrived for the limit itself.
struct TransferWatch {
    CURL* curl { nullptr };
    std::string* body { nullptr };
    bool sized { false };
    std::size_t limit { HTTP_BODY_LIMIT };
    std::chrono::milliseconds stall { DEFAULT_STALL_MS };
    bool overLimit { false };
    bool stalled { false };
    bool requestSent { false };  // the connection exists; before that the connect time-out rules
    Clock::time_point lastArrival {};

    void Arrived() { lastArrival = Clock::now(); }
};

int OnRequestReady(void* user, char*, char*, int, int) {
    auto* watch = static_cast<TransferWatch*>(user);
    watch->requestSent = true;
    watch->Arrived();
    return CURL_PREREQFUNC_OK;
}

std::size_t OnHeader(char*, std::size_t size, std::size_t count, void* user) {
    static_cast<TransferWatch*>(user)->Arrived();
    return size * count;
}

// A body that reaches the limit is a failure, not a truncated success: answering short aborts the
// transfer with CURLE_WRITE_ERROR.
std::size_t AppendChunk(char* data, std::size_t size, std::size_t count, void* user) {
    auto* watch = static_cast<TransferWatch*>(user);
    const std::size_t bytes = size * count;
    watch->Arrived();
    if (bytes >= watch->limit - watch->body->size()) {
        watch->overLimit = true;
        return 0;
    }
    if (!watch->sized) {
        // One allocation for a body of announced length instead of growing through copies.
        watch->sized = true;
        curl_off_t length = -1;
        if (curl_easy_getinfo(watch->curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK && length > 0 &&
            static_cast<std::size_t>(length) < watch->limit)
            ReserveBody(*watch->body, static_cast<std::size_t>(length));
    }
    watch->body->append(data, bytes);
    return bytes;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* watch = static_cast<TransferWatch*>(user);
    if (watch->requestSent && Clock::now() - watch->lastArrival >= watch->stall) {
        watch->stalled = true;
        return 1;  // CURLE_ABORTED_BY_CALLBACK
    }
    return 0;
}

int MapResult(CURLcode result, long status, const TransferWatch& watch) {
    if (watch.overLimit) return HTTP_RESULT_OTHER;
    // An error page is a failed transfer, whatever happened to its body.
    if (status >= 400) return HTTP_RESULT_HTTP_ERROR;
    switch (result) {
        case CURLE_OK: return HTTP_RESULT_OK;
        case CURLE_OPERATION_TIMEDOUT: return HTTP_RESULT_TIMEOUT;
        case CURLE_ABORTED_BY_CALLBACK: return watch.stalled ? HTTP_RESULT_TIMEOUT : HTTP_RESULT_OTHER;
        case CURLE_COULDNT_RESOLVE_HOST: return HTTP_RESULT_NOT_RESOLVED;
        case CURLE_COULDNT_CONNECT: return HTTP_RESULT_NO_CONNECTION;
        default: return HTTP_RESULT_OTHER;  // cut-off body (CURLE_PARTIAL_FILE) among others
    }
}

int Transfer(CURL* curl, HttpRequest& request, const TransferSettings& settings) {
    TransferWatch watch;
    watch.curl = curl;
    watch.body = &request.body;
    watch.limit = settings.bodyLimit;
    watch.stall = std::chrono::milliseconds(settings.stallMs);
    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, MAX_REDIRECTS);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    // The operator's servers are reached directly, whatever proxy the environment names.
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    // Many workers at once: timeouts must not rely on signals.
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, settings.connectMs);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, std::max(1L, (settings.stallMs + 999) / 1000));
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(settings.bodyLimit - 1));
    // Larger reads than the default 16 KB: fewer wake-ups and callbacks per file.
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 256L * 1024L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendChunk);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &watch);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &watch);
    curl_easy_setopt(curl, CURLOPT_PREREQFUNCTION, OnRequestReady);
    curl_easy_setopt(curl, CURLOPT_PREREQDATA, &watch);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &watch);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);

    const CURLcode result = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    const int code = MapResult(result, status, watch);
    if (watch.overLimit || result == CURLE_FILESIZE_EXCEEDED) {
        std::string().swap(request.body);  // never hand out part of an oversized body
    }
    return code;
}

// One worker per request. It touches the request only until it posts the result.
void RunTransfer(HttpRequest* request, TransferSettings settings) {
    int code = HTTP_RESULT_OTHER;
    CurlHandlePool& pool = CurlHandlePool::Instance();
    if (CURL* curl = pool.Acquire()) {
        code = Transfer(curl, *request, settings);
        pool.Release(curl);
    }
    CHttpProxy::Instance().PostResult(request, code);
}

// Starts the worker threads, so that the user-interface thread, which hands out the next
// transfer after every result, never waits for the system to make a thread. Each request still
// gets a worker of its own; this thread only starts them, in the order they were handed over.
class WorkerStarter {
public:
    // A transfer needs little stack: libcurl's easy interface stays well below 100 KB. Small
    // stacks are also reused by the C library instead of being mapped afresh for every worker.
    static constexpr std::size_t WORKER_STACK = 512u * 1024u;

    static WorkerStarter& Instance() {
        static WorkerStarter* starter = new WorkerStarter();  // lives until the process ends
        return *starter;
    }

    // False when the starter itself cannot run; the caller then keeps the request.
    bool Hand(HttpRequest* request, const TransferSettings& settings) {
        std::lock_guard lock(m_mutex);
        if (!m_running) {
            m_running = platform::StartDetachedThread([this] { Run(); }, WORKER_STACK);
            if (!m_running) return false;
        }
        m_pending.push_back({request, settings});
        m_handed.notify_one();
        return true;
    }

private:
    struct Pending {
        HttpRequest* request;
        TransferSettings settings;
    };

    void Run() {
        for (;;) {
            Pending next;
            {
                std::unique_lock lock(m_mutex);
                m_handed.wait(lock, [this] { return !m_pending.empty(); });
                next = m_pending.front();
                m_pending.pop_front();
            }
            HttpRequest* request = next.request;
            TransferSettings settings = next.settings;
            bool started = platform::StartDetachedThread([request, settings] { RunTransfer(request, settings); },
                                                         WORKER_STACK);
            // A request without a worker still gets its answer: a failed transfer.
            if (!started) CHttpProxy::Instance().PostResult(request, HTTP_RESULT_OTHER);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_handed;
    std::deque<Pending> m_pending;
    bool m_running { false };
};

}  // namespace

bool StartRequest(HttpRequest* request, const std::string& url, VHttpCallback* callback) {
    if (!request || !callback || url.empty() || request->busy) return false;

    CHttpProxy& proxy = CHttpProxy::Instance();
    request->busy = true;
    request->body = BodyBufferPool::Instance().Take();
    request->url = url;
    proxy.Register(request, callback);
    proxy.Adopt();

    TransferSettings settings;
    settings.connectMs = g_connectMs.load();
    settings.stallMs = g_stallMs.load();
    settings.bodyLimit = g_bodyLimit.load();
    bool handed = !g_failThreadStarts.load() && WorkerStarter::Instance().Hand(request, settings);
    if (!handed) {
        // The caller keeps the request.
        proxy.Disown();
        proxy.Unregister(request);
        request->busy = false;
        return false;
    }
    return true;
}

void SetTransferLimits(long connectMs, long stallMs) {
    g_connectMs.store(std::max(1L, connectMs));
    g_stallMs.store(std::max(1L, stallMs));
}

void SetBodyLimitForTesting(std::size_t limit) { g_bodyLimit.store(limit ? limit : HTTP_BODY_LIMIT); }

void FailThreadStartsForTesting(bool fail) { g_failThreadStarts.store(fail); }

void SetConnectionReuse(bool reuse) { CurlHandlePool::Instance().SetReuse(reuse); }
