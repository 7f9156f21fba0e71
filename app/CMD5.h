#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The MD5 message digest (RFC 1321).
class CMD5 {
public:
    CMD5() { Init(); }
    virtual ~CMD5() = default;

    void Init();
    void Update(const void* data, std::size_t length);
    // Writes the 16-byte digest; the object must be initialised again before another use.
    void Final(std::uint8_t digest[16]);

private:
    void Transform(const std::uint8_t block[64]);

    std::uint32_t m_state[4] {};
    std::uint64_t m_bitCount { 0 };
    std::uint8_t m_buffer[64] {};
};

// MD5 of the bytes of `text` as 32 lowercase hexadecimal digits.
std::string Md5Hex(std::string_view text);
