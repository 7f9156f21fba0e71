#include "uninstall/CompletionReport.h"

#include "app/ClientVersion.h"
#include "app/Config.h"
#include "app/IniText.h"
#include "cache/FileUtils.h"
#include "telemetry/ReportTask.h"
#include "telemetry/StatReports.h"
#include "uninstall/CUnInstallFrameWnd.h"

std::string ReadInstallationChannel(const std::string& installPath) {
    const ConfigString& key = config::UPGRADE_CHANNEL;
    // Never a relative path: that would read the working directory's file.
    if (installPath.empty()) return key.defaultValue;
    std::string path = installPath;
    if (path.back() != '/' && path.back() != '\\') path += '/';
    auto text = ReadWholeFile(path + key.file);
    if (!text) return key.defaultValue;
    return IniText(std::move(*text)).Get(key.section, key.key).value_or(key.defaultValue);
}

bool SendCompletionStatistic(const std::string& channel) {
    ReportTask& task = ProgramReportTask();
    if (task.EventName().empty()) CreateReportEvent(task);
    if (!IsUninstallCompleted()) return false;
    SendStatReport(task, STAT_UNINSTALLED, REPORT_VERSION_TEXT, channel, "");
    return WaitForReport(task, REPORT_WAIT_MS);
}
