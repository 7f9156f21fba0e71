#include "telemetry/StatReports.h"

#include "app/CMD5.h"
#include "app/ClientVersion.h"
#include "app/Config.h"
#include "platform/TextEncoding.h"
#include "telemetry/CEthernetMac.h"
#include "telemetry/ReportTask.h"

namespace {

bool StaysInForm(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    for (char kept : std::string_view("-_.!~*'()")) {
        if (c == static_cast<unsigned char>(kept)) return true;
    }
    return false;
}

}  // namespace

ReportTask& ProgramReportTask() {
    // Lives until the process ends, like the worker it may have running then.
    static ReportTask* task = new ReportTask();
    return *task;
}

bool SendStatReport(const std::string& statcode, const std::string& version, const std::string& lumtype,
                    const std::string& user) {
    return SendStatReport(ProgramReportTask(), statcode, version, lumtype, user);
}

bool SendStatReport(ReportTask& task, const std::string& statcode, const std::string& version,
                    const std::string& lumtype, const std::string& user) {
    const std::string endpoint = ReadConfigString(config::LOG_STAT);
    // The operator's service has always received these values in the GBK code page.
    const std::string code = platform::Utf8ToGbk(statcode);
    const std::string mac = CEthernetMac().GetMacText();
    const std::string versionText = platform::Utf8ToGbk(version);
    const std::string channel = platform::Utf8ToGbk(lumtype);
    const std::string account = platform::Utf8ToGbk(user);

    // No secret takes part: the key is computed from the reported values alone.
    const std::string key = Md5Hex(code + "_" + mac + "_" + versionText + "_" + channel + "_" + account);
    const std::string url = endpoint + "?&statcode=" + code + "&macaddr=" + mac + "&version=" + versionText +
                            "&lumtype=" + channel + "&user=" + account + "&key=" + key;
    return QueueReport(task, url);
}

bool SendClientStatReport(const std::string& statcode, const std::string& user) {
    return SendStatReport(statcode, REPORT_VERSION_TEXT, ReadConfigString(config::UPGRADE_CHANNEL), user);
}

bool SendReasonReport(ReportTask& task, const std::string& params) {
    const std::string url =
        ReadConfigString(config::LOG_UNINSTALL_REASON) + "?" + params + "&mac=" + CEthernetMac().GetMacText();
    return QueueReport(task, url);
}

std::string ReasonReportParams(bool col1, bool col2, bool col3, std::string_view reasonText) {
    std::string params = "col=";
    params += col1 ? '1' : '0';
    params += col2 ? '1' : '0';
    params += col3 ? '1' : '0';
    return params + "&text=" + FormEncode(platform::Utf8ToGbk(reasonText));
}

std::string FormEncode(std::string_view bytes) {
    static const char hex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(bytes.size() * 3);
    for (unsigned char c : bytes) {
        if (c == ' ') {
            encoded += '+';
        } else if (StaysInForm(c)) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += hex[c >> 4];
            encoded += hex[c & 15];
        }
    }
    return encoded;
}
