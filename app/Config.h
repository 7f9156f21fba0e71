#pragma once

#include <string>

#include "app/ConfigKeys.h"

// INI access for files named relative to the program directory. Every call reads the file again,
// so an edit takes effect at the next use of a key without a restart.

// The value, or `defaultValue` when the file, section or key is missing; at most 259 bytes (a
// longer value is cut, never inside a UTF-8 character).
std::string ReadConfigString(const std::string& file, const std::string& section, const std::string& key,
                             const std::string& defaultValue);

// Leading decimal digits of the value, a sign allowed; text that is no number reads as 0, an
// absent or empty value as `defaultValue`.
int ReadConfigInt(const std::string& file, const std::string& section, const std::string& key, int defaultValue);

// Stores the value, creating the file and the section when needed (not the directory). Failures
// are silent: the next read sees the old value.
void WriteConfigString(const std::string& file, const std::string& section, const std::string& key,
                       const std::string& value);
void WriteConfigInt(const std::string& file, const std::string& section, const std::string& key, int value);

// The same for the keys of ConfigKeys.h.
std::string ReadConfigString(const ConfigString& entry);
int ReadConfigInt(const ConfigInt& entry);
void WriteConfigString(const ConfigString& entry, const std::string& value);
void WriteConfigInt(const ConfigInt& entry, int value);

// GetPrivateProfileInt's reading of a value (exposed for its table test).
int ParseProfileInt(const std::string& value);
