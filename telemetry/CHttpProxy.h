#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/MessageQueue.h"

struct HttpRequest;
class VHttpCallback;

// The process-wide dispatcher of finished requests. Created on first use on the user-interface
// thread and never destroyed, since detached workers may still post to it while the process ends.
// It remembers which callback waits for which request (at most one each) and, on that thread,
// hands every finished request to its callback, then frees it.
class CHttpProxy {
public:
    // Creates the dispatcher (and initialises libcurl) on first use; user-interface thread.
    static CHttpProxy& Instance();
    // The dispatcher if it has been created, otherwise null; any thread.
    static CHttpProxy* Existing();

    CHttpProxy(const CHttpProxy&) = delete;
    CHttpProxy& operator=(const CHttpProxy&) = delete;

    void Register(HttpRequest* request, VHttpCallback* callback);
    void Unregister(HttpRequest* request);
    // Forgets every request `callback` waits for; their results will be dropped.
    void UnregisterCallback(VHttpCallback* callback);

    // Counts `request` as owned by the transfer machinery; StartRequest calls it before the worker
    // starts, Disown undoes it when the worker could not start.
    void Adopt() { ++m_owned; }
    void Disown() { --m_owned; }

    // Hands an owned request with its result to the user-interface thread; any thread. The
    // message's payload owns the request from here on.
    void PostResult(HttpRequest* request, int code);

    // For a request a sender could not start: registers it, takes ownership and posts a failed
    // result (HTTP_RESULT_OTHER), so the callback hears of it later like any other result.
    void PostStartFailure(HttpRequest* request, VHttpCallback* callback);

    std::size_t OwnedRequests() const { return m_owned.load(); }

private:
    class HiddenTarget;
    friend class HiddenTarget;

    CHttpProxy();
    void Dispatch(platform::Message& message);
    VHttpCallback* TakeCallback(HttpRequest* request);

    std::unique_ptr<HiddenTarget> m_target;
    platform::TargetId m_targetId { 0 };
    std::mutex m_mutex;
    std::unordered_map<HttpRequest*, VHttpCallback*> m_callbacks;
    std::atomic<std::size_t> m_owned { 0 };
};
