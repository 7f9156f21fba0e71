#pragma once

#include <string>
#include <string_view>

namespace platform {

// Conversions between the client's UTF-8 text and the GBK bytes the operator's servers expect.
// A character or byte sequence that has no counterpart becomes "?", as the original code page
// conversion did; the rest of the text is kept.
std::string Utf8ToGbk(std::string_view utf8);
std::string GbkToUtf8(std::string_view gbk);

}  // namespace platform
