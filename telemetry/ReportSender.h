#pragma once

#include <string>
#include <string_view>

// A report URL taken apart for sending.
struct ReportUrlParts {
    std::string server;  // host name or address, IPv6 in brackets
    int port { 80 };     // 80 when the URL names none
    std::string object;  // path and query as written, "/" at least
};

// Splits "http://server[:port][/object]". False for anything else (another scheme, user
// information, an empty or malformed server, a port outside 1..65535): such a report is not sent.
bool SplitReportUrl(std::string_view url, ReportUrlParts* parts);

// Sends one report GET and reads the status line and headers, never the body. True when the
// server answered 200; every failure ends quietly.
bool SendReport(const std::string& url);

// Bounds on one report: a connection not made within `connectMs`, or a report that has no answer
// within `totalMs`, is given up. The defaults are 15000 and 30000; tests shorten them.
void SetReportTransferLimits(long connectMs, long totalMs);
