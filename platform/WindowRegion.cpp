#include <algorithm>
#include <cmath>

#include "platform/Window.h"

namespace platform {
namespace {

// How many pixels row `row` (0 = the outermost row) of a corner band of `radiusY` rows is cut
// in from the side, for an ellipse of radii radiusX × radiusY, sampled at the row's centre.
int CornerInset(int row, double radiusX, double radiusY) {
    if (radiusX <= 0 || radiusY <= 0) return 0;
    double dy = (radiusY - (row + 0.5)) / radiusY;
    if (dy <= 0) return 0;
    double inset = radiusX - radiusX * std::sqrt(std::max(0.0, 1.0 - dy * dy));
    return static_cast<int>(std::lround(inset));
}

// Rows of a rounded rectangle, merged into rectangles where consecutive rows have the same span.
WindowRegion Rounded(const WindowRect& rect, int ellipseWidth, int ellipseHeight, bool roundTop) {
    WindowRegion region;
    // The original platform's rounded regions leave out the last column and row.
    WindowRect area { rect.left, rect.top, rect.right - 1, rect.bottom - 1 };
    if (area.IsEmpty()) return region;
    double radiusX = std::min(std::abs(ellipseWidth), area.Width()) / 2.0;
    double radiusY = std::min(std::abs(ellipseHeight), area.Height()) / 2.0;
    int band = static_cast<int>(std::ceil(radiusY));
    int height = area.Height();

    WindowRect pending;
    bool hasPending = false;
    for (int row = 0; row < height; ++row) {
        int inset = 0;
        if (roundTop && row < band) inset = CornerInset(row, radiusX, radiusY);
        int fromBottom = height - 1 - row;
        if (fromBottom < band) inset = std::max(inset, CornerInset(fromBottom, radiusX, radiusY));
        WindowRect span { area.left + inset, area.top + row, area.right - inset, area.top + row + 1 };
        if (span.left >= span.right) continue;
        if (hasPending && pending.left == span.left && pending.right == span.right && pending.bottom == span.top) {
            pending.bottom = span.bottom;
            continue;
        }
        if (hasPending) region.Add(pending);
        pending = span;
        hasPending = true;
    }
    if (hasPending) region.Add(pending);
    return region;
}

}  // namespace

WindowRegion WindowRegion::FromRect(const WindowRect& rect) {
    WindowRegion region;
    region.Add(rect);
    return region;
}

WindowRegion WindowRegion::RoundRect(const WindowRect& rect, int ellipseWidth, int ellipseHeight) {
    return Rounded(rect, ellipseWidth, ellipseHeight, true);
}

WindowRegion WindowRegion::RoundBottomRect(const WindowRect& rect, int ellipseWidth, int ellipseHeight) {
    return Rounded(rect, ellipseWidth, ellipseHeight, false);
}

void WindowRegion::Add(const WindowRect& rect) {
    if (!rect.IsEmpty()) m_rects.push_back(rect);
}

bool WindowRegion::Contains(int x, int y) const {
    return std::any_of(m_rects.begin(), m_rects.end(), [x, y](const WindowRect& r) { return r.Contains(x, y); });
}

WindowRect WindowRegion::Bounds() const {
    if (m_rects.empty()) return {};
    WindowRect bounds = m_rects.front();
    for (const WindowRect& r : m_rects) {
        bounds.left = std::min(bounds.left, r.left);
        bounds.top = std::min(bounds.top, r.top);
        bounds.right = std::max(bounds.right, r.right);
        bounds.bottom = std::max(bounds.bottom, r.bottom);
    }
    return bounds;
}

}  // namespace platform
