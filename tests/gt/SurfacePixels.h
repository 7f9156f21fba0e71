#pragma once

#include <cairo.h>

#include <cstdint>

namespace test {

// Direct access to the premultiplied ARGB32 pixels of a Cairo image surface.
inline std::uint32_t* PixelRow(cairo_surface_t* surface, int y) {
    return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface) +
                                            y * cairo_image_surface_get_stride(surface));
}

inline void FillPixels(cairo_surface_t* surface, std::uint32_t argb) {
    cairo_surface_flush(surface);
    for (int y = 0; y < cairo_image_surface_get_height(surface); ++y)
        for (int x = 0; x < cairo_image_surface_get_width(surface); ++x) PixelRow(surface, y)[x] = argb;
    cairo_surface_mark_dirty(surface);
}

inline std::uint32_t PixelAt(cairo_surface_t* surface, int x, int y) {
    cairo_surface_flush(surface);
    return PixelRow(surface, y)[x];
}

}  // namespace test
