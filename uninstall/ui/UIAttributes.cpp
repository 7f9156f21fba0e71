#include "uninstall/ui/UIAttributes.h"

#include <string>

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The numbers of a comma-separated list, at most `count`.
int ParseList(std::string_view text, int* out, int count) {
    int n = 0;
    while (n < count) {
        std::size_t comma = text.find(',');
        out[n++] = ParseUIInt(text.substr(0, comma));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return n;
}

}  // namespace

int ParseUIInt(std::string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        if (value < 1000000000) value = value * 10 + (c - '0');
    }
    return static_cast<int>(negative ? -value : value);
}

GTRect ParseUIRect(std::string_view text) {
    int v[4] {};
    ParseList(text, v, 4);
    return GTRect { v[0], v[1], v[2], v[3] };
}

GTSize ParseUISize(std::string_view text) {
    int v[2] {};
    ParseList(text, v, 2);
    return GTSize { v[0], v[1] };
}

bool ParseUIBool(std::string_view text) {
    text = Trim(text);
    if (text.size() == 4) {
        std::string lower(text);
        for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (lower == "true") return true;
    }
    return ParseUIInt(text) != 0;
}

std::uint32_t ParseUIColor(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '#') {
        text.remove_prefix(1);
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    } else {
        return 0;
    }
    if (text.size() != 6 && text.size() != 8) return 0;
    std::uint32_t value = 0;
    for (char c : text) {
        int digit = HexDigit(c);
        if (digit < 0) return 0;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return text.size() == 6 ? (0xFF000000u | value) : value;
}

GTColor UIColorToGT(std::uint32_t argb) {
    return GTRgb(static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF),
                 static_cast<int>(argb & 0xFF));
}

std::vector<std::pair<std::string, std::string>> ParseUIAttributeList(std::string_view text) {
    std::vector<std::pair<std::string, std::string>> pairs;
    while (!text.empty()) {
        text = Trim(text);
        std::size_t equals = text.find('=');
        if (equals == std::string_view::npos) break;
        std::string_view name = Trim(text.substr(0, equals));
        text.remove_prefix(equals + 1);
        text = Trim(text);
        std::string_view value;
        if (!text.empty() && (text.front() == '\'' || text.front() == '"')) {
            char quote = text.front();
            std::size_t end = text.find(quote, 1);
            value = text.substr(1, end == std::string_view::npos ? std::string_view::npos : end - 1);
            text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        } else {
            std::size_t end = text.find_first_of(" \t\r\n");
            value = text.substr(0, end);
            text.remove_prefix(end == std::string_view::npos ? text.size() : end);
        }
        if (!name.empty()) pairs.emplace_back(std::string(name), std::string(value));
    }
    return pairs;
}

UIImageRef ParseUIImageRef(std::string_view text) {
    UIImageRef ref;
    text = Trim(text);
    if (text.empty()) return ref;
    if (text.find('=') == std::string_view::npos) {
        ref.number = ParseUIInt(text);
        return ref;
    }
    for (const auto& [name, value] : ParseUIAttributeList(text)) {
        if (name == "res" || name == "file") {
            ref.number = ParseUIInt(value);
        } else if (name == "dest") {
            ref.dest = ParseUIRect(value);
            ref.hasDest = true;
        } else if (name == "source") {
            ref.source = ParseUIRect(value);
            ref.hasSource = true;
        }
    }
    return ref;
}
