#pragma once

#include <string>

// The uninstaller cannot delete the directory it runs from, so when it is started inside an
// installation it copies itself to the temporary directory, starts the copy with the
// installation's directory in INSTALLPATH, and ends.

// The environment variable that tells the copy which installation to remove; its value is a host
// directory with a trailing "/".
inline constexpr const char* INSTALL_PATH_VARIABLE = "INSTALLPATH";
// The name the copies begin with in the temporary directory.
inline constexpr const char* RELOCATED_PREFIX = "~uninst";

// True when the client program lies in `programDirectory` (a host directory): the uninstaller
// runs inside an installation.
bool IsInsideInstallation(const std::string& programDirectory);

// True when `programPath` is such a copy (its name begins with the prefix). A copy never
// relocates again, even where a client program happens to lie beside it.
bool IsRelocatedCopy(const std::string& programPath);

// Copies `programPath` to a new file in the temporary directory, makes it executable and starts
// it without arguments, with INSTALLPATH set to `programDirectory`. Does not wait for it. Returns
// the copy's process id, or -1 when the copy or the start failed (a partly made copy is removed).
int StartRelocatedCopy(const std::string& programPath, const std::string& programDirectory);

// INSTALLPATH as this process received it; empty when it is not set.
std::string InstallPathFromEnvironment();
