#include "app/IniText.h"

#include <vector>

namespace {

struct Line {
    std::size_t begin;    // first byte of the line
    std::size_t end;      // one past its last byte before the line break
    std::size_t next;     // first byte of the following line
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    // A UTF-8 byte order mark written by an editor is not part of the first line.
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
    while (pos < text.size()) {
        std::size_t lf = text.find('\n', pos);
        std::size_t end = lf == std::string::npos ? text.size() : lf;
        std::size_t next = lf == std::string::npos ? text.size() : lf + 1;
        if (end > pos && text[end - 1] == '\r') --end;
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

// The section name of a header line, or nothing for any other line.
std::optional<std::string_view> SectionName(std::string_view trimmed) {
    if (trimmed.empty() || trimmed.front() != '[') return std::nullopt;
    std::size_t close = trimmed.rfind(']');
    if (close == std::string_view::npos) return std::nullopt;
    return Trim(trimmed.substr(1, close - 1));
}

// Where the first section named `section` starts (index of its header) and ends (index of the
// next header, or the line count).
struct SectionRange {
    std::size_t header;
    std::size_t end;
};

std::optional<SectionRange> FindSection(const std::string& text, const std::vector<Line>& lines,
                                        std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto name = SectionName(Trim(std::string_view(text).substr(lines[i].begin, lines[i].end - lines[i].begin)));
        if (!name || !SameName(*name, section)) continue;
        std::size_t end = i + 1;
        while (end < lines.size() &&
               !SectionName(Trim(std::string_view(text).substr(lines[end].begin, lines[end].end - lines[end].begin))))
            ++end;
        return SectionRange{i, end};
    }
    return std::nullopt;
}

// Position of the "=" of a key line named `key`, or npos.
std::size_t KeyEquals(std::string_view line, std::string_view key) {
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::string_view::npos;
    return SameName(Trim(line.substr(0, equals)), key) ? equals : std::string_view::npos;
}

std::string CleanValue(std::string_view value) {
    std::string clean(value.substr(0, value.find('\0')));
    for (char& c : clean) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return clean;
}

}  // namespace

std::optional<std::string> IniText::Get(std::string_view section, std::string_view key) const {
    std::vector<Line> lines = SplitLines(m_text);
    auto range = FindSection(m_text, lines, section);
    if (!range) return std::nullopt;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        std::string_view line = std::string_view(m_text).substr(lines[i].begin, lines[i].end - lines[i].begin);
        std::size_t equals = KeyEquals(line, key);
        if (equals == std::string_view::npos) continue;
        std::string_view value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::string(value.substr(0, value.find('\0')));
    }
    return std::nullopt;
}

void IniText::Set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string clean = CleanValue(value);
    const std::string eol = m_text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    std::vector<Line> lines = SplitLines(m_text);

    auto range = FindSection(m_text, lines, section);
    if (!range) {
        if (!m_text.empty() && m_text.back() != '\n') m_text += eol;
        m_text += "[" + std::string(section) + "]" + eol + std::string(key) + "=" + clean + eol;
        return;
    }

    std::size_t lastFilled = range->header;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        std::string_view line = std::string_view(m_text).substr(lines[i].begin, lines[i].end - lines[i].begin);
        if (!Trim(line).empty()) lastFilled = i;
        std::size_t equals = KeyEquals(line, key);
        if (equals == std::string_view::npos) continue;
        std::size_t valueBegin = lines[i].begin + equals + 1;
        m_text.replace(valueBegin, lines[i].end - valueBegin, clean);
        return;
    }

    const Line& after = lines[lastFilled];
    std::string added = std::string(key) + "=" + clean + eol;
    if (after.next == after.end) added = eol + added;  // the last line had no line break
    m_text.insert(after.next, added);
}
