#include "telemetry/ServerComm.h"

#include <json/json.h>

#include "telemetry/CHttpProxy.h"
#include "telemetry/HttpRequest.h"

namespace {

bool ParseJson(const std::string& text, Json::Value& value) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    return reader->parse(text.data(), text.data() + text.size(), &value, &errors);
}

bool Send(const std::shared_ptr<ServerComm>& comm, const std::string& url, std::uint32_t id) {
    if (!comm) return false;
    auto request = std::make_unique<HttpRequest>();
    request->id = id;
    if (StartRequest(request.get(), url, comm.get())) {
        request.release();  // the transfer machinery owns it now
        return true;
    }
    // Its sender still hears of it, later, through the queue like any other result.
    request->url = url;
    CHttpProxy::Instance().PostStartFailure(request.release(), comm.get());
    return false;
}

}  // namespace

void ServerComm::OnHttpResult(HttpRequest* request, int code, const std::string& body) {
    if (!request) return;
    const std::uint32_t kind = request->id >> 16;
    const unsigned index = request->id & 0xFFFFu;
    // Handlers are called through copies: one may rebind itself or let go of this object.
    try {
        switch (kind) {
            case REQUEST_NOTICES:
            case REQUEST_VERSION: {
                if (code != HTTP_RESULT_OK) return;  // a failed JSON request is dropped
                JsonHandler handler = kind == REQUEST_NOTICES ? m_noticeHandler : m_versionHandler;
                Json::Value reply;
                if (!handler || !ParseJson(body, reply)) return;
                handler(reply);
                return;
            }
            case REQUEST_RESOURCE_FILE: {
                ResourceHandler handler = m_resourceHandler;
                if (handler) handler(code != HTTP_RESULT_OK, index, body);
                return;
            }
            default: return;
        }
    } catch (...) {
        // A handler's exception stops here; the dispatcher frees the request all the same.
    }
}

bool RequestNotices(const std::shared_ptr<ServerComm>& comm, const std::string& url) {
    return Send(comm, url, MakeRequestId(REQUEST_NOTICES, 0));
}

bool RequestVersion(const std::shared_ptr<ServerComm>& comm, const std::string& url) {
    return Send(comm, url, MakeRequestId(REQUEST_VERSION, 0));
}

bool RequestResourceFile(const std::shared_ptr<ServerComm>& comm, const std::string& url, unsigned index) {
    return Send(comm, url, MakeRequestId(REQUEST_RESOURCE_FILE, index));
}
