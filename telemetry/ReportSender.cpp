#include "telemetry/ReportSender.h"

#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <mutex>

namespace {

constexpr long DEFAULT_CONNECT_MS = 15000;
constexpr long DEFAULT_TOTAL_MS = 30000;
constexpr const char* USER_AGENT = "HTTP_STAT_POST";

std::atomic<long> g_connectMs { DEFAULT_CONNECT_MS };
std::atomic<long> g_totalMs { DEFAULT_TOTAL_MS };

bool IsHostCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
}

bool IsIpv6Character(char c) {
    return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || (c >= '0' && c <= '9') || c == ':' || c == '.';
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

// Values go into the URL as they are, but a request line cannot carry spaces or control
// characters: those bytes alone travel percent-encoded. Everything else, "%", "#" and the GBK
// bytes of an account included, is sent exactly as written.
std::string RequestTarget(std::string_view object) {
    static const char hex[] = "0123456789ABCDEF";
    std::string target;
    target.reserve(object.size());
    for (unsigned char c : object) {
        if (c <= 0x20 || c == 0x7F) {
            target += '%';
            target += hex[c >> 4];
            target += hex[c & 15];
        } else {
            target += static_cast<char>(c);
        }
    }
    return target;
}

// Follows the header lines of the answer and stops the transfer at the end of the final one's
// headers, so the body is never read (a server that stalls after its headers holds nothing).
struct AnswerWatch {
    long status { 0 };
    long finalStatus { 0 };
};

std::size_t OnHeaderLine(char* data, std::size_t size, std::size_t count, void* user) {
    auto* watch = static_cast<AnswerWatch*>(user);
    const std::string_view line(data, size * count);
    if (line.starts_with("HTTP/")) {
        const std::size_t space = line.find(' ');
        long status = 0;
        if (space != std::string_view::npos) {
            std::from_chars(line.data() + space + 1, line.data() + line.size(), status);
        }
        watch->status = status;
    } else if ((line == "\r\n" || line == "\n") && watch->status >= 200) {
        watch->finalStatus = watch->status;
        return 0;  // CURLE_WRITE_ERROR: the answer is complete enough
    }
    return size * count;
}

std::size_t RefuseBody(char*, std::size_t, std::size_t, void*) { return 0; }

}  // namespace

bool SplitReportUrl(std::string_view url, ReportUrlParts* parts) {
    constexpr std::string_view scheme = "http://";
    if (!StartsWithNoCase(url, scheme)) return false;
    const std::string_view rest = url.substr(scheme.size());
    const std::size_t authorityEnd = std::min(rest.find_first_of("/?#"), rest.size());
    const std::string_view authority = rest.substr(0, authorityEnd);

    std::string_view host;
    std::string_view port;
    if (authority.starts_with("[")) {
        const std::size_t close = authority.find(']');
        if (close == std::string_view::npos || close == 1) return false;
        host = authority.substr(0, close + 1);
        if (!std::all_of(host.begin() + 1, host.end() - 1, IsIpv6Character)) return false;
        const std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after[0] != ':') return false;
            port = after.substr(1);
        }
    } else {
        const std::size_t colon = authority.find(':');
        host = authority.substr(0, colon);
        if (colon != std::string_view::npos) port = authority.substr(colon + 1);
        if (host.empty() || !std::all_of(host.begin(), host.end(), IsHostCharacter)) return false;
    }

    int number = 80;
    if (!port.empty()) {
        const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
        const bool whole = error == std::errc() && end == port.data() + port.size();
        if (!whole || number < 1 || number > 65535) return false;
    }

    std::string_view object = rest.substr(authorityEnd);
    parts->server = std::string(host);
    parts->port = number;
    parts->object = object.starts_with("/") ? std::string(object) : "/" + std::string(object);
    return true;
}

bool SendReport(const std::string& url) {
    ReportUrlParts parts;
    if (!SplitReportUrl(url, &parts)) return false;

    static std::once_flag curlReady;
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    CURL* curl = curl_easy_init();
    if (!curl) return false;

    const std::string server = "http://" + parts.server + ":" + std::to_string(parts.port) + "/";
    const std::string target = RequestTarget(parts.object);
    // Always from the server, never from a cache on the way.
    curl_slist* headers = curl_slist_append(nullptr, "Cache-Control: no-cache");
    headers = curl_slist_append(headers, "Pragma: no-cache");
    AnswerWatch watch;

    curl_easy_setopt(curl, CURLOPT_URL, server.c_str());
    curl_easy_setopt(curl, CURLOPT_REQUEST_TARGET, target.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(curl, CURLOPT_USERAGENT, USER_AGENT);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    // The operator's statistics service is reached directly, whatever proxy the environment names.
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, g_connectMs.load());
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, g_totalMs.load());
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeaderLine);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &watch);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, RefuseBody);

    curl_easy_perform(curl);  // its result says nothing the status does not
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
    return watch.finalStatus == 200;
}

void SetReportTransferLimits(long connectMs, long totalMs) {
    g_connectMs.store(std::max(1L, connectMs));
    g_totalMs.store(std::max(1L, totalMs));
}
