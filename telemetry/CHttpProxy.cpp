#include "telemetry/CHttpProxy.h"

#include "telemetry/BodyBufferPool.h"

#include <curl/curl.h>

#include "telemetry/HttpInternals.h"
#include "telemetry/HttpRequest.h"
#include "telemetry/VHttpCallback.h"

namespace {

std::atomic<CHttpProxy*> g_proxy { nullptr };

// Frees a request the machinery owns, whichever way its result went.
struct OwnedRequestDeleter {
    void operator()(HttpRequest* request) const {
        delete request;
        if (CHttpProxy* proxy = CHttpProxy::Existing()) proxy->Disown();
    }
};
using OwnedRequest = std::unique_ptr<HttpRequest, OwnedRequestDeleter>;

// Payload of WM_HTTP_RESULT: owns the finished request until the dispatcher takes it; a dropped
// message frees it.
struct HttpResultPayload : platform::MessagePayload {
    explicit HttpResultPayload(HttpRequest* finished) : request(finished) {}
    OwnedRequest request;
};

}  // namespace

// Plays the hidden window that receives WM_HTTP_RESULT.
class CHttpProxy::HiddenTarget : public platform::MessageTarget {
public:
    explicit HiddenTarget(CHttpProxy& proxy) : m_proxy(proxy) {}

protected:
    // Overridden from platform::MessageTarget:
    void OnMessage(platform::Message& message) override { m_proxy.Dispatch(message); }

private:
    CHttpProxy& m_proxy;
};

CHttpProxy& CHttpProxy::Instance() {
    static CHttpProxy* proxy = [] {
        auto* created = new CHttpProxy();  // never destroyed
        g_proxy.store(created);
        return created;
    }();
    return *proxy;
}

CHttpProxy* CHttpProxy::Existing() { return g_proxy.load(); }

CHttpProxy::CHttpProxy() {
    curl_global_init(CURL_GLOBAL_ALL);
    m_target = std::make_unique<HiddenTarget>(*this);
    m_targetId = m_target->Id();
}

void CHttpProxy::Register(HttpRequest* request, VHttpCallback* callback) {
    std::lock_guard lock(m_mutex);
    m_callbacks[request] = callback;
}

void CHttpProxy::Unregister(HttpRequest* request) {
    std::lock_guard lock(m_mutex);
    m_callbacks.erase(request);
}

void CHttpProxy::UnregisterCallback(VHttpCallback* callback) {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_callbacks, [callback](const auto& entry) { return entry.second == callback; });
}

VHttpCallback* CHttpProxy::TakeCallback(HttpRequest* request) {
    std::lock_guard lock(m_mutex);
    auto found = m_callbacks.find(request);
    if (found == m_callbacks.end()) return nullptr;
    VHttpCallback* callback = found->second;
    m_callbacks.erase(found);
    return callback;
}

void CHttpProxy::PostResult(HttpRequest* request, int code) {
    // Owner after posting: the payload, then the dispatcher; dropped messages free the request.
    platform::MessageQueue::Instance().Post(m_targetId, WM_HTTP_RESULT, static_cast<std::uintptr_t>(code), 0,
                                            std::make_unique<HttpResultPayload>(request));
}

void CHttpProxy::PostStartFailure(HttpRequest* request, VHttpCallback* callback) {
    request->busy = true;
    Adopt();
    Register(request, callback);
    PostResult(request, HTTP_RESULT_OTHER);
}

void CHttpProxy::Dispatch(platform::Message& message) {
    if (message.id != WM_HTTP_RESULT) return;
    auto* payload = dynamic_cast<HttpResultPayload*>(message.payload.get());
    if (!payload || !payload->request) return;
    OwnedRequest request = std::move(payload->request);

    // The registration goes before the call: a handler may start the request anew.
    VHttpCallback* callback = TakeCallback(request.get());
    if (!callback) return;  // its owner is gone: drop the result

    int code = static_cast<int>(message.wParam);
    std::string body = std::move(request->body);  // the request has no further use for it
    if (code == HTTP_RESULT_OK && body.empty()) code = HTTP_RESULT_EMPTY;
    request->busy = false;
    try {
        callback->OnHttpResult(request.get(), code, body);
    } catch (...) {
        // Nothing crosses into the message loop; the request is freed all the same.
    }
    BodyBufferPool::Instance().Recycle(std::move(body));
    // A handler that restarted the request handed it back to the machinery: the new worker owns it.
    if (request->busy) {
        request.release();
        Disown();
    }
}

std::size_t OwnedRequestsForTesting() {
    CHttpProxy* proxy = CHttpProxy::Existing();
    return proxy ? proxy->OwnedRequests() : 0;
}
