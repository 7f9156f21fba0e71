#pragma once

#include <string>

// The product version carried inside the running executable, as "major.minor.build.revision";
// "1.0.0.0" when it carries none or cannot be read.
std::string ClientFileVersion();

// The version text that the start and login reports carry; fixed, read from no file.
inline constexpr const char* REPORT_VERSION_TEXT = "1.1.6.0.0";
