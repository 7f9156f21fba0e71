#pragma once

#include <string>
#include <string_view>

class ReportTask;

// Event codes of the statistics reports.
inline constexpr const char* STAT_UNINSTALLED = "2";
inline constexpr const char* STAT_LOGIN = "3";
inline constexpr const char* STAT_START = "4";

// The program's own report sender, created empty with the program.
ReportTask& ProgramReportTask();

// Queues an event report on `task` (the program's task without one):
//   <logstat>?&statcode=..&macaddr=..&version=..&lumtype=..&user=..&key=..
// The values go in as they are, without URL encoding, as GBK bytes; key is the MD5 of
// "statcode_macaddr_version_lumtype_user" over the same bytes. Answers whether a worker started;
// callers then wait for the task (WaitForReport).
bool SendStatReport(const std::string& statcode, const std::string& version, const std::string& lumtype,
                    const std::string& user);
bool SendStatReport(ReportTask& task, const std::string& statcode, const std::string& version,
                    const std::string& lumtype, const std::string& user);

// The client's event reports: the fixed report version and the installation's channel from
// update\upgrade.ini, on the program's task.
bool SendClientStatReport(const std::string& statcode, const std::string& user);

// Queues the uninstall-reason report on `task`: <loguninstallreson>?<params>&mac=<address>.
bool SendReasonReport(ReportTask& task, const std::string& params);

// The survey's parameter text "col=<1|0><1|0><1|0>&text=<reason>", the reason text form-encoded
// from its GBK bytes.
std::string ReasonReportParams(bool col1, bool col2, bool col3, std::string_view reasonText);

// Form encoding byte by byte: a space becomes "+", ASCII letters, digits and "-_.!~*'()" stay,
// every other byte becomes "%XX" (uppercase).
std::string FormEncode(std::string_view bytes);
