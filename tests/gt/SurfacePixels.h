#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>

#include "gt/GTTypes.h"

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

// Bounding box of the pixels that match; empty when there are none.
inline GTRect PixelsWhere(cairo_surface_t* surface, const std::function<bool(std::uint32_t)>& match) {
    cairo_surface_flush(surface);
    GTRect box;
    for (int y = 0; y < cairo_image_surface_get_height(surface); ++y)
        for (int x = 0; x < cairo_image_surface_get_width(surface); ++x)
            if (match(PixelRow(surface, y)[x])) box = box.Union(GTRect { x, y, x + 1, y + 1 });
    return box;
}

}  // namespace test
