#pragma once

#include <algorithm>
#include <cstdint>

// Geometry and colour values shared by the whole toolkit.

// A rectangle as the original platform keeps it: left and top inside, right and bottom outside.
// A rectangle whose width or height is zero or negative is empty and covers no pixel.
struct GTRect {
    int left { 0 };
    int top { 0 };
    int right { 0 };
    int bottom { 0 };

    static constexpr GTRect FromSize(int x, int y, int width, int height) {
        return GTRect { x, y, x + width, y + height };
    }

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
    constexpr bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }

    constexpr GTRect Offset(int dx, int dy) const {
        return GTRect { left + dx, top + dy, right + dx, bottom + dy };
    }

    // True when the two share at least one pixel.
    constexpr bool Intersects(const GTRect& other) const { return !Intersect(other).IsEmpty(); }
    // The common part; empty (possibly with negative size) when they do not meet.
    constexpr GTRect Intersect(const GTRect& other) const {
        return GTRect { std::max(left, other.left), std::max(top, other.top), std::min(right, other.right),
                        std::min(bottom, other.bottom) };
    }
    // The smallest rectangle holding both; an empty operand does not count.
    constexpr GTRect Union(const GTRect& other) const {
        if (other.IsEmpty()) return *this;
        if (IsEmpty()) return other;
        return GTRect { std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
                        std::max(bottom, other.bottom) };
    }

    friend constexpr bool operator==(const GTRect&, const GTRect&) = default;
};

struct GTPoint {
    int x { 0 };
    int y { 0 };
    friend constexpr bool operator==(const GTPoint&, const GTPoint&) = default;
};

struct GTSize {
    int width { 0 };
    int height { 0 };
    friend constexpr bool operator==(const GTSize&, const GTSize&) = default;
};

// Margins for cutting a nine-grid, in the skin's order: left, top, right, bottom.
struct GTMargins {
    int left { 0 };
    int top { 0 };
    int right { 0 };
    int bottom { 0 };
    friend constexpr bool operator==(const GTMargins&, const GTMargins&) = default;
};

// A colour as the client's code writes it: red in the low byte, then green, then blue
// (0x00BBGGRR). Window code passes these values through unchanged, e.g. 0xA5C0D1.
using GTColor = std::uint32_t;

constexpr GTColor GTRgb(int red, int green, int blue) {
    return static_cast<GTColor>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int GTRed(GTColor c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int GTGreen(GTColor c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int GTBlue(GTColor c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
