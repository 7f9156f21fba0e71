#include "gt/GTImage.h"

#include <cairo.h>

#include <algorithm>
#include <cstring>

namespace {

// Whether the rectangle lies inside a picture of width × height (no overflow on any input).
bool Inside(long long x, long long y, long long w, long long h, int width, int height) {
    return w > 0 && h > 0 && x >= 0 && y >= 0 && x + w <= width && y + h <= height;
}

}  // namespace

GTImage::GTImage(int width, int height) : m_width(std::max(width, 0)), m_height(std::max(height, 0)) {
    std::size_t count = static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height);
    m_pixels = std::make_unique<std::uint32_t[]>(std::max<std::size_t>(count, 1));
    std::memset(m_pixels.get(), 0, std::max<std::size_t>(count, 1) * 4);
    m_surface = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(m_pixels.get()),
                                                    CAIRO_FORMAT_ARGB32, m_width, m_height, Stride());
}

GTImage::~GTImage() {
    DropShortcuts();
    DropStretched();
    cairo_surface_destroy(m_surface);
}

void GTImage::DropShortcuts() const {
    for (auto& [key, shortcuts] : m_shortcuts) {
        if (shortcuts.firstRow) cairo_surface_destroy(shortcuts.firstRow);
    }
    m_shortcuts.clear();
}

std::uint32_t GTImage::PixelAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
    return m_pixels[static_cast<std::size_t>(y) * m_width + x];
}

void GTImage::MarkDirty() {
    m_translucentSums.reset();
    DropShortcuts();
    DropStretched();
    cairo_surface_mark_dirty(m_surface);
}

bool GTImage::IsOpaque(int x, int y, int width, int height) const {
    if (!Inside(x, y, width, height, m_width, m_height)) return false;
    const std::size_t w1 = static_cast<std::size_t>(m_width) + 1;
    if (!m_translucentSums) {
        m_translucentSums = std::make_unique<std::uint32_t[]>(w1 * (static_cast<std::size_t>(m_height) + 1));
        std::uint32_t* sums = m_translucentSums.get();
        std::fill(sums, sums + w1, 0u);
        for (int row = 0; row < m_height; ++row) {
            std::uint32_t run = 0;
            sums[(row + 1) * w1] = 0;
            const std::uint32_t* line = m_pixels.get() + static_cast<std::size_t>(row) * m_width;
            for (int col = 0; col < m_width; ++col) {
                run += (line[col] >> 24) != 0xFF ? 1u : 0u;
                sums[(row + 1) * w1 + col + 1] = sums[row * w1 + col + 1] + run;
            }
        }
    }
    const std::uint32_t* s = m_translucentSums.get();
    std::uint32_t count =
        s[(y + height) * w1 + x + width] - s[y * w1 + x + width] - s[(y + height) * w1 + x] + s[y * w1 + x];
    return count == 0;
}

const GTImage::Shortcuts& GTImage::ShortcutsFor(int x, int y, int width, int height) const {
    static const Shortcuts none;
    if (!Inside(x, y, width, height, m_width, m_height) || m_width > 0xFFFF || m_height > 0xFFFF) return none;
    const std::uint64_t key = static_cast<std::uint64_t>(x) << 48 | static_cast<std::uint64_t>(y) << 32 |
                              static_cast<std::uint64_t>(width) << 16 | static_cast<std::uint64_t>(height);
    auto found = m_shortcuts.find(key);
    if (found != m_shortcuts.end()) return found->second;
    // A skin uses a bounded set of rectangles; anything beyond that starts the cache afresh.
    if (m_shortcuts.size() >= 4096) DropShortcuts();

    Shortcuts shortcuts;
    const std::uint32_t* first = m_pixels.get() + static_cast<std::size_t>(y) * m_width + x;
    bool rowsSame = true;
    for (int row = 1; row < height && rowsSame; ++row)
        rowsSame = std::memcmp(first, first + static_cast<std::size_t>(row) * m_width, width * 4u) == 0;
    bool uniform = rowsSame && (first[0] >> 24) == 0xFF;
    for (int col = 1; col < width && uniform; ++col) uniform = first[col] == first[0];
    shortcuts.uniformOpaque = uniform;
    shortcuts.color = first[0];
    if (rowsSame) {
        shortcuts.firstRow = cairo_image_surface_create_for_data(
            reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(first)), CAIRO_FORMAT_ARGB32, width,
            1, Stride());
    }
    return m_shortcuts.emplace(key, shortcuts).first->second;
}

namespace {
constexpr std::size_t MAX_STRETCHED_PIXELS = 2u << 20;
}

std::size_t GTImage::StretchKeyHash::operator()(const StretchKey& k) const {
    std::size_t h = 0;
    for (int v : { k.x, k.y, k.width, k.height, k.toWidth, k.toHeight })
        h = h * 1000003u ^ static_cast<std::size_t>(v);
    return h;
}

void GTImage::DropStretched() const {
    for (auto& [key, surface] : m_stretched) cairo_surface_destroy(surface);
    m_stretched.clear();
    m_stretchedPixels = 0;
}

cairo_surface_t* GTImage::Stretched(int x, int y, int width, int height, int toWidth, int toHeight) const {
    if (!Inside(x, y, width, height, m_width, m_height) || toWidth <= 0 || toHeight <= 0) return nullptr;
    const StretchKey key { x, y, width, height, toWidth, toHeight };
    auto found = m_stretched.find(key);
    if (found != m_stretched.end()) return found->second;
    const std::size_t pixels = static_cast<std::size_t>(toWidth) * toHeight;
    if (pixels > MAX_STRETCHED_PIXELS) return nullptr;
    if (m_stretchedPixels + pixels > MAX_STRETCHED_PIXELS) DropStretched();

    // Nearest pixel, sampled at the centre of each target pixel; a centre that falls exactly on a
    // pixel border takes the pixel before it, as Cairo's own nearest filter does.
    auto nearest = [](int i, int from, int to) {
        return static_cast<int>(((2LL * i + 1) * from - 1) / (2LL * to));
    };
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, toWidth, toHeight);
    auto* out = reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(surface));
    const int outStride = cairo_image_surface_get_stride(surface) / 4;
    std::unique_ptr<int[]> columns = std::make_unique<int[]>(toWidth);
    for (int col = 0; col < toWidth; ++col) columns[col] = x + nearest(col, width, toWidth);
    int previous = -1;
    for (int row = 0; row < toHeight; ++row) {
        const int sourceRow = y + nearest(row, height, toHeight);
        std::uint32_t* line = out + static_cast<std::size_t>(row) * outStride;
        if (sourceRow == previous) {
            std::memcpy(line, line - outStride, static_cast<std::size_t>(toWidth) * 4);
            continue;
        }
        const std::uint32_t* in = m_pixels.get() + static_cast<std::size_t>(sourceRow) * m_width;
        for (int col = 0; col < toWidth; ++col) line[col] = in[columns[col]];
        previous = sourceRow;
    }
    cairo_surface_mark_dirty(surface);
    m_stretched.emplace(key, surface);
    m_stretchedPixels += pixels;
    return surface;
}
