#include "app/Config.h"

#include <cstdint>
#include <cstdio>

#include "app/IniText.h"
#include "cache/FileUtils.h"
#include "cache/PathUtils.h"

namespace {

constexpr std::size_t MAX_VALUE_LENGTH = 259;

std::string CutValue(std::string value) {
    if (value.size() <= MAX_VALUE_LENGTH) return value;
    std::size_t cut = MAX_VALUE_LENGTH;
    // Step back over UTF-8 continuation bytes so the last character stays whole.
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
    value.resize(cut);
    return value;
}

std::optional<std::string> ReadValue(const std::string& file, const std::string& section, const std::string& key) {
    auto text = ReadWholeFile(AppPath(file));
    if (!text) return std::nullopt;
    return IniText(std::move(*text)).Get(section, key);
}

}  // namespace

int ParseProfileInt(const std::string& value) {
    std::size_t i = 0;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
    std::uint32_t result = 0;  // wraps like the original 32-bit conversion
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) result = result * 10u + static_cast<std::uint32_t>(value[i] - '0');
    if (negative) result = 0u - result;
    return static_cast<int>(result);
}

std::string ReadConfigString(const std::string& file, const std::string& section, const std::string& key,
                             const std::string& defaultValue) {
    return CutValue(ReadValue(file, section, key).value_or(defaultValue));
}

int ReadConfigInt(const std::string& file, const std::string& section, const std::string& key, int defaultValue) {
    auto value = ReadValue(file, section, key);
    if (!value || value->empty()) return defaultValue;
    return ParseProfileInt(CutValue(*value));
}

void WriteConfigString(const std::string& file, const std::string& section, const std::string& key,
                       const std::string& value) {
    const std::string path = AppPath(file);
    auto existing = ReadWholeFile(path);
    if (!existing && PathExists(path)) return;  // never replace a file that could not be read
    IniText text(existing.value_or(std::string()));
    text.Set(section, key, value);
    ReplaceFileContents(path, text.Text());
}

void WriteConfigInt(const std::string& file, const std::string& section, const std::string& key, int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    WriteConfigString(file, section, key, text);
}

std::string ReadConfigString(const ConfigString& entry) {
    return ReadConfigString(entry.file, entry.section, entry.key, entry.defaultValue);
}

int ReadConfigInt(const ConfigInt& entry) { return ReadConfigInt(entry.file, entry.section, entry.key, entry.defaultValue); }

void WriteConfigString(const ConfigString& entry, const std::string& value) {
    WriteConfigString(entry.file, entry.section, entry.key, value);
}

void WriteConfigInt(const ConfigInt& entry, int value) { WriteConfigInt(entry.file, entry.section, entry.key, value); }
