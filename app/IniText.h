#pragma once

#include <optional>
#include <string>
#include <string_view>

// The text of one INI file, read and edited with the semantics the client's files were written
// for: section and key names match without regard to case, the first section of a name and the
// first key of a name inside it win, surrounding white space and one pair of matching quotes are
// not part of a value, lines without "=" are no keys. Editing changes only the line of its own
// key (or adds lines) and keeps every other byte.
class IniText {
public:
    explicit IniText(std::string text = {}) : m_text(std::move(text)) {}

    // The value, or nothing when the section or key is absent.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;

    // Stores `value`, adding the key after the last line of its section, or the section at the
    // end. A line break in `value` becomes a space so a value can never add lines of its own; the
    // value ends at a NUL byte.
    void Set(std::string_view section, std::string_view key, std::string_view value);

    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};
