#pragma once

#include <png.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace test {

// Writes a PNG of any libpng colour type and depth from raw rows (width × channels × depth/8
// bytes each, big-endian samples for 16 bits). Skin fixtures are made this way in the test's own
// temporary directory.
inline bool WritePng(const std::filesystem::path& path, int width, int height, int colorType, int bitDepth,
                     const std::vector<std::uint8_t>& bytes, const std::vector<png_color>& palette = {}) {
    std::filesystem::create_directories(path.parent_path());
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, bitDepth, colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
    png_write_info(png, info);
    const std::size_t rowBytes = bytes.size() / height;
    for (int y = 0; y < height; ++y) png_write_row(png, bytes.data() + y * rowBytes);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return true;
}

// An 8-bit RGBA PNG filled with one colour (straight, not premultiplied).
inline bool WriteSolidRgbaPng(const std::filesystem::path& path, int width, int height, std::uint8_t r,
                              std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < width * height; ++i) bytes.insert(bytes.end(), { r, g, b, a });
    return WritePng(path, width, height, PNG_COLOR_TYPE_RGB_ALPHA, 8, bytes);
}

}  // namespace test
