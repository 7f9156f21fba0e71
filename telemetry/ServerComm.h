#pragma once

#include <functional>
#include <memory>
#include <string>

#include "telemetry/VHttpCallback.h"

namespace Json {
class Value;
}

// The callback object a window owns (shared): sorts finished requests by kind and calls the
// handler its owner bound for that kind.
class ServerComm : public VHttpCallback {
public:
    using JsonHandler = std::function<void(const Json::Value& reply)>;
    using ResourceHandler = std::function<void(bool failed, unsigned index, const std::string& body)>;

    ServerComm() = default;

    void BindNoticeHandler(JsonHandler handler) { m_noticeHandler = std::move(handler); }
    void BindVersionHandler(JsonHandler handler) { m_versionHandler = std::move(handler); }
    void BindResourceHandler(ResourceHandler handler) { m_resourceHandler = std::move(handler); }

    // Overridden from VHttpCallback:
    void OnHttpResult(HttpRequest* request, int code, const std::string& body) override;

private:
    JsonHandler m_noticeHandler;
    JsonHandler m_versionHandler;
    ResourceHandler m_resourceHandler;
};

// Senders. A resource request that cannot be started still produces a failed result (code 6) for
// its task, so its sender's count of transfers in flight comes back down.
bool RequestNotices(const std::shared_ptr<ServerComm>& comm, const std::string& url);
bool RequestVersion(const std::shared_ptr<ServerComm>& comm, const std::string& url);
bool RequestResourceFile(const std::shared_ptr<ServerComm>& comm, const std::string& url, unsigned index);
