#include "platform/TextEncoding.h"

#include <errno.h>
#include <iconv.h>

namespace platform {
namespace {

// Bytes to replace by one "?" at `in`: a whole well-formed UTF-8 character that has no GBK
// counterpart, or a single stray byte.
size_t Utf8Unconvertible(const unsigned char* in, size_t left) {
    size_t length = 1;
    if (in[0] >= 0xF0 && in[0] <= 0xF4) length = 4;
    else if (in[0] >= 0xE0 && in[0] <= 0xEF) length = 3;
    else if (in[0] >= 0xC2 && in[0] <= 0xDF) length = 2;
    if (length > left) return 1;
    for (size_t i = 1; i < length; ++i) {
        if ((in[i] & 0xC0) != 0x80) return 1;
    }
    return length;
}

// The same for GBK: a lead byte with a valid trail byte is one character.
size_t GbkUnconvertible(const unsigned char* in, size_t left) {
    bool lead = in[0] >= 0x81 && in[0] <= 0xFE;
    bool trail = left >= 2 && in[1] >= 0x40 && in[1] <= 0xFE && in[1] != 0x7F;
    return lead && trail ? 2 : 1;
}

std::string Convert(std::string_view input, const char* to, const char* from,
                    size_t (*unconvertible)(const unsigned char*, size_t)) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(input);

    std::string output;
    output.reserve(input.size() * 2);
    char* in = const_cast<char*>(input.data());
    size_t inLeft = input.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
        output.append(buffer, static_cast<size_t>(out - buffer));
        if (rc != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL (a sequence cut off at the end): replace it and go on.
        size_t bad = unconvertible(reinterpret_cast<const unsigned char*>(in), inLeft);
        in += bad;
        inLeft -= bad;
        output.push_back('?');
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    iconv_close(cd);
    return output;
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) { return Convert(utf8, "GBK", "UTF-8", Utf8Unconvertible); }

std::string GbkToUtf8(std::string_view gbk) { return Convert(gbk, "UTF-8", "GBK", GbkUnconvertible); }

}  // namespace platform
