#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>

typedef struct _cairo_surface cairo_surface_t;

// A decoded skin picture: width × height pixels, top row first, each pixel 32 bits little-endian
// B, G, R, A with the colour channels premultiplied by alpha (as a 32-bit value: 0xAARRGGBB).
// These are exactly the bytes of a Cairo ARGB32 image surface, so the painter draws straight
// from the buffer without any conversion.
class GTImage {
public:
    // A fully transparent picture. Sizes below zero count as zero.
    GTImage(int width, int height);
    virtual ~GTImage();
    GTImage(const GTImage&) = delete;
    GTImage& operator=(const GTImage&) = delete;

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // Bytes per row; always Width() × 4.
    int Stride() const { return m_width * 4; }

    std::uint32_t* Pixels() { return m_pixels.get(); }
    const std::uint32_t* Pixels() const { return m_pixels.get(); }
    // The pixel at (x, y) as 0xAARRGGBB; 0 outside the picture.
    std::uint32_t PixelAt(int x, int y) const;

    // The Cairo image surface over the pixel buffer (the buffer is shared, not copied).
    cairo_surface_t* Surface() const { return m_surface; }

    // True when every pixel of the rectangle is fully opaque (drawing it may then replace the
    // destination instead of blending). The answer is computed once for the whole picture; call
    // MarkDirty() after changing the pixels directly.
    bool IsOpaque(int x, int y, int width, int height) const;
    void MarkDirty();

    // What the painter needs to know to draw a rectangle of the picture cheaply; worked out once
    // per rectangle. Rectangles outside the picture have no shortcuts.
    struct Shortcuts {
        // Every pixel the same fully opaque colour (0xAARRGGBB): the rectangle draws as a fill.
        bool uniformOpaque { false };
        std::uint32_t color { 0 };
        // Every row the same: stretched vertically, the rectangle draws as its first row
        // repeated. The surface is that row (shared with the picture's buffer), or null.
        cairo_surface_t* firstRow { nullptr };
    };
    const Shortcuts& ShortcutsFor(int x, int y, int width, int height) const;

    // The rectangle stretched to width × height by nearest pixels, as a picture of that size,
    // kept for the next time (windows repaint their stretched backgrounds at the same size again
    // and again). The cache holds a few megapixels at most and starts afresh when full. Null for
    // a rectangle outside the picture.
    cairo_surface_t* Stretched(int x, int y, int width, int height, int toWidth, int toHeight) const;

private:
    int m_width { 0 };
    int m_height { 0 };
    std::unique_ptr<std::uint32_t[]> m_pixels;
    cairo_surface_t* m_surface { nullptr };
    void DropShortcuts() const;
    void DropStretched() const;

    // Summed table of non-opaque pixels, (width + 1) × (height + 1); empty until asked.
    mutable std::unique_ptr<std::uint32_t[]> m_translucentSums;
    mutable std::unordered_map<std::uint64_t, Shortcuts> m_shortcuts;
    struct StretchKey {
        int x, y, width, height, toWidth, toHeight;
        bool operator==(const StretchKey&) const = default;
    };
    struct StretchKeyHash {
        std::size_t operator()(const StretchKey& k) const;
    };
    mutable std::unordered_map<StretchKey, cairo_surface_t*, StretchKeyHash> m_stretched;
    mutable std::size_t m_stretchedPixels { 0 };
};
