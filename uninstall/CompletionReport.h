#pragma once

#include <string>

// The distribution channel of the installation in `installPath` (any form, trailing separator
// or not): [UPGRADE] myupgradetype of its update\upgrade.ini, "a" when the file, the key or the
// installation path is missing.
std::string ReadInstallationChannel(const std::string& installPath);

// The end of the program: when the uninstall was carried out (IsUninstallCompleted), sends the
// completion statistic (statcode "2") with `channel` on the program's report task, then waits up
// to 10 s for it. Answers whether a report was sent and finished within the wait.
bool SendCompletionStatistic(const std::string& channel);
