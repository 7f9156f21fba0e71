#pragma once

#include <string>

struct HttpRequest;

// Receives finished requests on the user-interface thread. Destroying it removes every one of its
// registrations, so the results of its requests still in flight are dropped.
class VHttpCallback {
public:
    VHttpCallback() = default;
    virtual ~VHttpCallback();
    VHttpCallback(const VHttpCallback&) = delete;
    VHttpCallback& operator=(const VHttpCallback&) = delete;

    virtual void OnHttpResult(HttpRequest* request, int code, const std::string& body) = 0;
};
