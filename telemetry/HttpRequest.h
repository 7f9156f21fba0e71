#pragma once

#include <cstdint>
#include <string>

class VHttpCallback;

// Request kinds: the high 16 bits of HttpRequest::id.
inline constexpr std::uint32_t REQUEST_NOTICES = 1003;
inline constexpr std::uint32_t REQUEST_VERSION = 1004;
inline constexpr std::uint32_t REQUEST_RESOURCE_FILE = 1005;

// Result codes handed to VHttpCallback::OnHttpResult.
enum HttpResultCode : int {
    HTTP_RESULT_OK = 0,            // transfer completed, body not empty
    HTTP_RESULT_TIMEOUT = 1,       // timed out, or stalled past the stall limit
    HTTP_RESULT_NOT_RESOLVED = 2,  // host name not resolved
    HTTP_RESULT_NO_CONNECTION = 3, // no connection made
    HTTP_RESULT_HTTP_ERROR = 4,    // the server answered with status 400 or above
    HTTP_RESULT_EMPTY = 5,         // completed with an empty body
    HTTP_RESULT_OTHER = 6,         // any other failure: cut-off body, body over the limit, no worker
};

// Bodies stop at this size; a body that reaches it is a failed transfer.
inline constexpr std::size_t HTTP_BODY_LIMIT = 102400000;

// Private message that carries a finished request to the user-interface thread.
inline constexpr std::uint32_t WM_HTTP_RESULT = 0x0400 + 4000;  // 5024

inline constexpr std::uint32_t MakeRequestId(std::uint32_t kind, std::uint32_t number) {
    return (kind << 16) | (number & 0xFFFFu);
}

// One asynchronous GET. Created by the sender; owned by the transfer machinery from the moment it
// is started until its result has been handled (or dropped), then freed.
struct HttpRequest {
    bool busy { false };
    std::string url;
    std::string body;
    std::uint32_t id { 0 };
};

// Starts `request` on a worker thread of its own; false, doing nothing, when `callback` is none,
// `url` is empty or the request is busy. Takes ownership of `request` when it answers true. The
// worker is started off the calling thread; should the system refuse it a thread, the request is
// answered as a failed transfer (code 6).
bool StartRequest(HttpRequest* request, const std::string& url, VHttpCallback* callback);

// Limits that keep one transfer from holding its place for ever: a connection not made within
// `connectMs`, or a transfer that receives nothing for `stallMs`, ends with HTTP_RESULT_TIMEOUT.
// The defaults are 15000 and 30000; tests shorten them.
void SetTransferLimits(long connectMs, long stallMs);

// Kept-alive connections serve the next request to the same server (on by default). Off, every
// request opens a connection of its own; the update benchmark compares the two.
void SetConnectionReuse(bool reuse);
