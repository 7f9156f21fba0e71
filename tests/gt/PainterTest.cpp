#include <cairo.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gt/GTImage.h"
#include "gt/GTPainter.h"
#include "tests/gt/SurfacePixels.h"
#include "gt/GTResourceManager.h"
#include "platform/WindowSurface.h"

namespace {

constexpr std::uint32_t BACKGROUND = 0xFF101010;
constexpr std::uint32_t RED = 0xFFFF0000;
constexpr std::uint32_t OPAQUE_BLACK = 0xFF000000;

std::unique_ptr<GTImage> MakeImage(int width, int height,
                                   const std::function<std::uint32_t(int, int)>& pixel) {
    auto image = std::make_unique<GTImage>(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image->Pixels()[y * width + x] = pixel(x, y);
    image->MarkDirty();
    return image;
}

// A distinct opaque colour for each block index of a 3 × 3 grid picture.
std::uint32_t BlockColor(int index) {
    return 0xFF000000u | (0x20u * (index + 1)) << 16 | (0xF0u - 0x10u * index);
}

// An off-screen ARGB32 target filled with one colour.
class Target {
public:
    Target(int width, int height, std::uint32_t fill = BACKGROUND) {
        surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
        cr = cairo_create(surface);
        Fill(fill);
    }
    ~Target() {
        cairo_destroy(cr);
        cairo_surface_destroy(surface);
    }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    void Fill(std::uint32_t argb) { test::FillPixels(surface, argb); }
    std::uint32_t At(int x, int y) { return test::PixelAt(surface, x, y); }
    int Width() const { return cairo_image_surface_get_width(surface); }
    int Height() const { return cairo_image_surface_get_height(surface); }
    std::vector<std::uint32_t> Pixels() {
        std::vector<std::uint32_t> all;
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x) all.push_back(At(x, y));
        return all;
    }
    // Bounding box of the pixels that match; empty when there are none.
    GTRect Where(const std::function<bool(std::uint32_t)>& match) { return test::PixelsWhere(surface, match); }
    // Bounding box of the pixels that differ from `background` in the bits of `mask`.
    GTRect Ink(std::uint32_t background = OPAQUE_BLACK, std::uint32_t mask = 0xFFFFFFFF) {
        return Where([&](std::uint32_t pixel) { return (pixel & mask) != (background & mask); });
    }

    cairo_surface_t* surface { nullptr };
    cairo_t* cr { nullptr };
};

int Channel(std::uint32_t argb, int shift) {
    return static_cast<int>((argb >> shift) & 0xFF);
}

void ExpectNear(std::uint32_t actual, std::uint32_t expected, int tolerance, const std::string& where) {
    for (int shift : { 24, 16, 8, 0 })
        EXPECT_LE(std::abs(Channel(actual, shift) - Channel(expected, shift)), tolerance)
            << where << std::hex << ": got 0x" << actual << ", want 0x" << expected;
}

TEST(PainterSliceTest, StretchingTwiceTheSizeDoublesEveryPixel) {
    auto image = MakeImage(
        10, 10, [](int x, int y) { return 0xFF000000u | (x * 20u) << 16 | (y * 20u) << 8 | 0x40u; });
    const GTSlice slice("s.a", 0, 0, 10, 10, image.get());
    Target target(32, 32);
    {
        GTPainter painter(target.cr, false);
        EXPECT_TRUE(painter.DrawSlice(&slice, 4, 6, 20, 20));
    }
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const bool inside = x >= 4 && x < 24 && y >= 6 && y < 26;
            const std::uint32_t want = inside ? image->PixelAt((x - 4) / 2, (y - 6) / 2) : BACKGROUND;
            ASSERT_EQ(target.At(x, y), want) << "at " << x << "," << y;
        }
    }
}

// Flat colours, bands and large stretches take shortcuts (a fill, a repeated row, a stretched
// copy kept for the next pass); every one must give the pixels of a plain nearest-pixel stretch,
// the first time and when drawn again.
TEST(PainterSliceTest, EveryWayOfStretchingGivesTheSamePixels) {
    struct Source {
        const char* what;
        std::function<std::uint32_t(int, int)> pixel;
    };
    const std::vector<Source> sources = {
        { "flat", [](int, int) { return 0xFF336699u; } },
        { "rows alike", [](int x, int) { return 0xFF000000u | (x * 37u % 256) << 16 | 0x40u; } },
        { "columns alike", [](int, int y) { return 0xFF000000u | (y * 29u % 256) << 8 | 0x11u; } },
        { "every pixel different",
          [](int x, int y) { return 0xFF000000u | (x * 41u % 256) << 16 | (y * 23u % 256) << 8 | 7u; } },
        { "translucent", [](int x, int y) { return ((x + y) % 2 ? 0x80000000u | 0x40u << 16 : 0u); } },
    };
    const std::vector<GTSize> sizes = { { 13, 9 }, { 13, 300 }, { 97, 51 }, { 200, 20 }, { 7, 4 }, { 5, 3 } };
    // Picture 13 × 9 placed at (2, 3) on a sheet whose other pixels are never to be seen.
    auto nearest = [](int i, int from, int to) {
        return static_cast<int>(((2LL * i + 1) * from - 1) / (2LL * to));
    };
    for (const Source& source : sources) {
        auto sheet = MakeImage(17, 14, [&](int x, int y) {
            return x >= 2 && x < 15 && y >= 3 && y < 12 ? source.pixel(x - 2, y - 3) : 0xFFFF00FFu;
        });
        const GTSlice slice("s.stretch", 2, 3, 13, 9, sheet.get());
        for (GTSize size : sizes) {
            for (int pass = 0; pass < 2; ++pass) {
                Target target(size.width + 2, size.height + 2, 0xFF000000);
                {
                    GTPainter painter(target.cr, false);
                    painter.DrawSlice(&slice, 1, 1, size.width, size.height);
                }
                for (int y = 0; y < size.height; ++y) {
                    for (int x = 0; x < size.width; ++x) {
                        const std::uint32_t src =
                            source.pixel(nearest(x, 13, size.width), nearest(y, 9, size.height));
                        // Over opaque black, a premultiplied pixel shows as itself, made opaque.
                        const std::uint32_t want = src | 0xFF000000u;
                        const std::uint32_t got = target.At(x + 1, y + 1);
                        ASSERT_EQ(got, want) << source.what << " to " << size.width << "x" << size.height
                                             << " pass " << pass << " at " << x << "," << y;
                    }
                }
                ASSERT_EQ(target.At(0, 0), 0xFF000000u);
                ASSERT_EQ(target.At(size.width + 1, size.height + 1), 0xFF000000u);
            }
        }
    }
    // Halving: every sample falls on a pixel border and takes the pixel before it.
    auto big = MakeImage(128, 64, [](int x, int y) { return 0xFF000000u | x << 16 | y << 8; });
    const GTSlice whole("s.big", 0, 0, 128, 64, big.get());
    Target target(64, 32);
    {
        GTPainter painter(target.cr, false);
        painter.DrawSlice(&whole, 0, 0, 64, 32);
    }
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(target.At(x, y), big->PixelAt(2 * x, 2 * y)) << x << "," << y;
}

TEST(PainterSliceTest, StretchedPartOfASheetNeverShowsItsNeighbours) {
    // Red all around; the slice (4, 4, 4, 4) is shades of green.
    auto sheet = MakeImage(12, 12, [](int x, int y) {
        const bool inSlice = x >= 4 && x < 8 && y >= 4 && y < 8;
        return inSlice ? 0xFF000000u | (0x40u + 0x10u * (x - 4 + y - 4)) << 8 : RED;
    });
    const GTSlice slice("s.mid", 4, 4, 4, 4, sheet.get());
    for (GTSize size :
         { GTSize { 1, 1 }, GTSize { 3, 7 }, GTSize { 4, 4 }, GTSize { 13, 5 }, GTSize { 37, 40 } }) {
        Target target(40, 40);
        {
            GTPainter painter(target.cr, false);
            painter.DrawSlice(&slice, 0, 0, size.width, size.height);
        }
        for (int y = 0; y < size.height; ++y) {
            for (int x = 0; x < size.width; ++x) {
                const std::uint32_t pixel = target.At(x, y);
                ASSERT_EQ(Channel(pixel, 16), 0)
                    << size.width << "x" << size.height << " at " << x << "," << y;
                ASSERT_EQ(Channel(pixel, 24), 0xFF)
                    << size.width << "x" << size.height << " at " << x << "," << y;
            }
        }
    }
}

TEST(PainterSliceTest, BlendsPremultipliedPixelsSourceOver) {
    // Half-transparent dark red (premultiplied), fully transparent, opaque green.
    auto image = MakeImage(3, 1, [](int x, int) {
        return std::array<std::uint32_t, 3> { 0x80400000u, 0x00000000u, 0xFF00FF00u }[x];
    });
    const GTSlice slice("s.blend", 0, 0, 3, 1, image.get());
    Target target(3, 1, 0xFFFFFFFF);
    {
        GTPainter painter(target.cr, GTRect { 0, 0, 3, 1 });
        painter.FillRect(GTRect { 0, 0, 3, 1 }, GTRgb(255, 255, 255));
        painter.DrawSlice(&slice, 0, 0, 3, 1);
    }
    ExpectNear(target.At(0, 0), 0xFFBF7F7F, 1, "half red over white");
    EXPECT_EQ(target.At(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(target.At(2, 0), 0xFF00FF00u);
}

TEST(PainterSliceTest, MissingPicturesDrawNothing) {
    auto image = MakeImage(4, 4, [](int, int) { return RED; });
    const GTSlice noImage("s.none", 0, 0, 4, 4, nullptr);
    const GTSlice slice("s.red", 0, 0, 4, 4, image.get());
    Target target(8, 8);
    {
        GTPainter painter(target.cr, false);
        EXPECT_FALSE(painter.DrawSlice(nullptr, 0, 0, 4, 4));
        EXPECT_FALSE(painter.DrawSlice(&noImage, 0, 0, 4, 4));
        EXPECT_FALSE(painter.DrawSliceRect(nullptr, GTRect { 0, 0, 4, 4 }));
        EXPECT_FALSE(painter.DrawNineGrid(nullptr, GTRect { 0, 0, 8, 8 }, 1, 1, 1, 1));
        EXPECT_FALSE(painter.DrawNineGrid(&noImage, GTRect { 0, 0, 8, 8 }, 1, 1, 1, 1));
        painter.DrawSlice(&slice, 2, 2, 0, 5);
        painter.DrawSlice(&slice, 2, 2, -3, 5);
        painter.DrawSliceRect(&slice, GTRect { 6, 6, 2, 2 });
    }
    EXPECT_EQ(target.Ink(BACKGROUND), GTRect {});
}

// A 9 × 9 picture of 3 × 3 blocks, numbered in reading order:
//   0 1 2
//   3 4 5
//   6 7 8
class NineGridTest : public ::testing::Test {
protected:
    NineGridTest() {
        image = MakeImage(9, 9, [](int x, int y) { return BlockColor(y / 3 * 3 + x / 3); });
        slice = GTSlice("s.grid", 0, 0, 9, 9, image.get());
        for (int part = 0; part < NineGrid::PartCount; ++part) {
            GTRect r = NineGridPartRect(part, 0, 0, 9, 9, GTMargins { 3, 3, 3, 3 });
            parts[part] = GTSlice("s.grid", r.left, r.top, r.Width(), r.Height(), image.get());
            grid.parts[part] = &parts[part];
        }
    }

    // Draws with `draw` into a 26 × 21 target and compares every pixel with `block` (the block
    // index expected at a point, or -1 for untouched).
    void Check(const std::function<void(GTPainter&)>& draw, const std::function<int(int, int)>& block,
               const std::string& label) {
        Target target(26, 21);
        {
            GTPainter painter(target.cr, false);
            draw(painter);
        }
        for (int y = 0; y < target.Height(); ++y) {
            for (int x = 0; x < target.Width(); ++x) {
                const int want = block(x, y);
                ASSERT_EQ(target.At(x, y), want < 0 ? BACKGROUND : BlockColor(want))
                    << label << " at " << x << "," << y << " (want block " << want << ")";
            }
        }
    }

    std::unique_ptr<GTImage> image;
    GTSlice slice;
    std::array<GTSlice, NineGrid::PartCount> parts;
    NineGrid grid;
};

// Destination (2, 2)–(22, 17): columns [2,5) [5,19) [19,22), rows [2,5) [5,14) [14,17).
int Column(int x) {
    return x < 2 || x >= 22 ? -1 : x < 5 ? 0 : x < 19 ? 1 : 2;
}
int Row(int y) {
    return y < 2 || y >= 17 ? -1 : y < 5 ? 0 : y < 14 ? 1 : 2;
}

TEST_F(NineGridTest, EveryModeDrawsItsParts) {
    const GTRect dest { 2, 2, 22, 17 };
    struct Case {
        int mode;
        std::function<int(int, int)> block;
    };
    const std::vector<Case> cases = {
        { NineGrid::Full,
          [](int x, int y) { return Column(x) < 0 || Row(y) < 0 ? -1 : Row(y) * 3 + Column(x); } },
        { NineGrid::Frame,
          [](int x, int y) {
              if (Column(x) < 0 || Row(y) < 0 || (Column(x) == 1 && Row(y) == 1)) return -1;
              return Row(y) * 3 + Column(x);
          } },
        // Left, centre, right (blocks 3, 4, 5), each over the full height.
        { NineGrid::Horizontal,
          [](int x, int y) { return Column(x) < 0 || Row(y) < 0 ? -1 : 3 + Column(x); } },
        // Top, centre, bottom (blocks 1, 4, 7), each over the full width.
        { NineGrid::Vertical,
          [](int x, int y) { return Column(x) < 0 || Row(y) < 0 ? -1 : Row(y) * 3 + 1; } },
        { 2, [](int, int) { return -1; } },
    };
    for (const Case& c : cases) {
        grid.mode = c.mode;
        Check([&](GTPainter& painter) { painter.DrawGrid(grid, dest); }, c.block,
              "mode " + std::to_string(c.mode));
    }
    Check([&](GTPainter& painter) { EXPECT_TRUE(painter.DrawNineGrid(&slice, dest, 3, 3, 3, 3)); },
          [](int x, int y) { return Column(x) < 0 || Row(y) < 0 ? -1 : Row(y) * 3 + Column(x); },
          "DrawNineGrid");
}

TEST_F(NineGridTest, MissingCornersLeaveOutTheEdgesBetweenThem) {
    grid.mode = NineGrid::Full;
    grid.parts[NineGrid::TopRight] = nullptr;
    // Without the top-right corner: no top edge, no right edge, no top-right corner.
    Check(
        [&](GTPainter& painter) {
            painter.DrawGrid(grid, GTRect { 2, 2, 22, 17 });
        },
        [](int x, int y) {
            if (Column(x) < 0 || Row(y) < 0) return -1;
            if ((Row(y) == 0 && Column(x) >= 1) || (Column(x) == 2 && Row(y) == 1)) return -1;
            return Row(y) * 3 + Column(x);
        },
        "no top-right");
}

//   Into 4 × 4 with 3-pixel corners the corners overlap, later ones on top; the stretched parts
//   have negative sizes and draw nothing:
//     0 2 2 2
//     6 8 8 8
//     6 8 8 8
//     6 8 8 8
TEST_F(NineGridTest, RectangleSmallerThanTheCornersShowsOverlappingCorners) {
    Check(
        [&](GTPainter& painter) {
            painter.DrawNineGrid(&slice, GTRect { 0, 0, 4, 4 }, 3, 3, 3, 3);
        },
        [](int x, int y) {
            if (x >= 4 || y >= 4) return -1;
            if (x == 0) return y == 0 ? 0 : 6;
            return y == 0 ? 2 : 8;
        },
        "4x4");
}

TEST(PainterShapeTest, GradientRunsFromTopRowToBottomRow) {
    Target target(3, 11);
    {
        GTPainter painter(target.cr, GTRect { 0, 0, 3, 11 });
        painter.FillGradient(GTRect { 0, 0, 3, 11 }, GTRgb(0, 0, 0), GTRgb(200, 100, 250));
    }
    EXPECT_EQ(target.At(1, 0), 0xFF000000u);
    EXPECT_EQ(target.At(1, 10), 0xFFC864FAu);  // red in the low byte of the colour value
    ExpectNear(target.At(1, 5), 0xFF64327D, 2, "middle row");
    for (int y = 1; y < 11; ++y) EXPECT_GE(Channel(target.At(0, y), 16), Channel(target.At(0, y - 1), 16));
}

TEST(PainterShapeTest, FrameLinesAndClearStayInsideTheirRectangles) {
    Target target(10, 10);
    {
        GTPainter painter(target.cr, false);
        painter.FrameRect(GTRect { 1, 1, 5, 4 }, GTRgb(255, 0, 0));
        painter.DrawLine(6, 9, 9, 9, GTRgb(255, 0, 0));  // the last point is left out
        painter.ClearRect(GTRect { 8, 0, 10, 2 });
    }
    EXPECT_EQ(target.At(1, 1), RED);
    EXPECT_EQ(target.At(4, 3), RED);
    EXPECT_EQ(target.At(2, 2), BACKGROUND);  // inside the frame
    EXPECT_EQ(target.At(5, 1), BACKGROUND);
    EXPECT_EQ(target.At(6, 9), RED);
    EXPECT_EQ(target.At(8, 9), RED);
    EXPECT_EQ(target.At(9, 9), BACKGROUND);
    EXPECT_EQ(target.At(9, 1), 0u);
    EXPECT_EQ(target.At(7, 1), BACKGROUND);
}

TEST(PainterFormTest, BufferedPainterReplacesItsAreaOnlyWhenDestroyed) {
    Target target(40, 40);
    {
        GTPainter painter(target.cr, GTRect { 10, 10, 30, 30 });
        EXPECT_TRUE(painter.IsBuffered());
        painter.FillRect(GTRect { 0, 0, 40, 40 }, GTRgb(0, 0, 255));  // target coordinates; the area clips it
        painter.FillRect(GTRect { 12, 12, 20, 20 }, GTRgb(255, 0, 0));
        EXPECT_EQ(target.At(15, 15), BACKGROUND);  // nothing shows before the copy
        painter.ClearRect(GTRect { 25, 25, 30, 30 });
    }
    EXPECT_EQ(target.At(15, 15), RED);
    EXPECT_EQ(target.At(10, 10), 0xFF0000FFu);
    EXPECT_EQ(target.At(27, 27), OPAQUE_BLACK);  // an opaque painter never copies transparency
    EXPECT_EQ(target.At(9, 9), BACKGROUND);
    EXPECT_EQ(target.At(30, 15), BACKGROUND);
    EXPECT_EQ(target.At(15, 30), BACKGROUND);
}

TEST(PainterFormTest, UnbufferedPainterDrawsAtOnceAndLeavesTheTargetAsFound) {
    Target target(20, 20);
    cairo_translate(target.cr, 2, 3);  // the target's own transformation and clip apply
    cairo_rectangle(target.cr, 0, 0, 12, 15);
    cairo_clip(target.cr);
    {
        GTPainter painter(target.cr, false);
        EXPECT_FALSE(painter.IsBuffered());
        painter.SetOrigin(4, 4);
        painter.Save();
        painter.IntersectClipRect(GTRect { 0, 0, 1, 1 });
        painter.FillRect(GTRect { 0, 0, 5, 5 }, GTRgb(255, 0, 0));
        EXPECT_EQ(target.At(6, 7), RED);  // (0, 0) + origin (4, 4) + target's (2, 3)
        EXPECT_EQ(target.At(7, 7), BACKGROUND);
        painter.Restore();
        // In the target's own coordinates, within the clip the target came with.
        painter.SetClipRect(GTRect { 10, 10, 12, 30 });
        painter.FillRect(GTRect { -100, -100, 100, 100 }, GTRgb(255, 0, 0));
    }
    cairo_matrix_t matrix;
    cairo_get_matrix(target.cr, &matrix);
    EXPECT_EQ(matrix.x0, 2);
    EXPECT_EQ(matrix.y0, 3);
    double x1, y1, x2, y2;
    cairo_clip_extents(target.cr, &x1, &y1, &x2, &y2);
    EXPECT_EQ(x2 - x1, 12);
    EXPECT_EQ(target.Ink(BACKGROUND), (GTRect { 6, 7, 14, 18 }));
    // The clip rectangle (10, 10)–(12, 30) is (12, 13)–(14, 33) on the surface, cut by the
    // target's clip at row 18.
    EXPECT_EQ(target.At(12, 13), RED);
    EXPECT_EQ(target.At(13, 17), RED);
    EXPECT_EQ(target.At(11, 15), BACKGROUND);
    EXPECT_EQ(target.At(12, 12), BACKGROUND);
    EXPECT_EQ(target.At(13, 18), BACKGROUND);
}

TEST(PainterFormTest, OriginClipAndSaveRestore) {
    Target target(40, 40);
    {
        GTPainter painter(target.cr, GTRect { 0, 0, 40, 40 });
        painter.FillRect(GTRect { 0, 0, 40, 40 }, GTRgb(16, 16, 16));
        painter.SetOrigin(10, 5);
        painter.FillRect(GTRect { 0, 0, 2, 2 }, GTRgb(255, 0, 0));  // target (10, 5)
        painter.Save();
        painter.SetClipRect(GTRect { 20, 20, 30, 30 });               // target coordinates, replaces the clip
        EXPECT_TRUE(painter.RectVisible(GTRect { 10, 15, 11, 16 }));  // target (20, 20)
        EXPECT_FALSE(painter.RectVisible(GTRect { 0, 0, 10, 15 }));   // ends just before it
        EXPECT_TRUE(painter.PtVisible(19, 24));
        EXPECT_FALSE(painter.PtVisible(20, 24));
        EXPECT_EQ(painter.ClipBox(), (GTRect { 10, 15, 20, 25 }));
        painter.SetOrigin(0, 0);
        painter.FillRect(GTRect { 0, 0, 40, 40 }, GTRgb(0, 255, 0));
        painter.Restore();
        EXPECT_EQ(painter.Origin(), (GTPoint { 10, 5 }));
        EXPECT_EQ(painter.ClipBox(), (GTRect { -10, -5, 30, 35 }));
        painter.FillRect(GTRect { 2, 0, 3, 1 }, GTRgb(0, 0, 255));  // target (12, 5)
    }
    EXPECT_EQ(target.At(10, 5), RED);
    EXPECT_EQ(target.At(12, 5), 0xFF0000FFu);
    EXPECT_EQ(target.Where([](std::uint32_t pixel) { return pixel == 0xFF00FF00u; }),
              (GTRect { 20, 20, 30, 30 }));  // green only in the clip
}

// A window as the painter sees it, keeping what it is given.
class RecordingSurface : public platform::WindowSurface {
public:
    RecordingSurface(int width, int height, bool layered)
        : m_width(width), m_height(height), m_layered(layered) {}
    ~RecordingSurface() override {
        if (picture) cairo_surface_destroy(picture);
    }
    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    bool Present(cairo_surface_t* image, int x, int y) override { return Keep("present", image, x, y); }
    bool PushLayered(cairo_surface_t* image) override {
        if (m_layered) return Keep("layered", image, 0, 0);
        calls.push_back("layered");
        return false;
    }

    std::uint32_t At(int x, int y) const {
        return reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(picture) +
                                                      y * cairo_image_surface_get_stride(picture))[x];
    }

    std::vector<std::string> calls;
    cairo_surface_t* picture { nullptr };
    cairo_format_t format { CAIRO_FORMAT_INVALID };
    GTPoint at;

private:
    bool Keep(const char* call, cairo_surface_t* image, int x, int y) {
        calls.push_back(call);
        if (picture) cairo_surface_destroy(picture);
        // Copy it, as a real window does: the painter reuses its buffer.
        format = cairo_image_surface_get_format(image);
        picture = cairo_image_surface_create(format, cairo_image_surface_get_width(image),
                                             cairo_image_surface_get_height(image));
        cairo_t* cr = cairo_create(picture);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(cr, image, 0, 0);
        cairo_paint(cr);
        cairo_destroy(cr);
        cairo_surface_flush(picture);
        at = GTPoint { x, y };
        return true;
    }
    int m_width, m_height;
    bool m_layered;
};

TEST(PainterFormTest, LayeredPainterPushesPerPixelAlphaOrFallsBackToPresenting) {
    auto image = MakeImage(1, 1, [](int, int) { return 0x80400000u; });
    const GTSlice half("s.half", 0, 0, 1, 1, image.get());
    for (bool canLayer : { true, false }) {
        RecordingSurface window(8, 6, canLayer);
        {
            GTPainter painter(window);
            EXPECT_TRUE(painter.IsLayered());
            EXPECT_EQ(painter.Area(), (GTRect { 0, 0, 8, 6 }));
            painter.DrawSlice(&half, 2, 2, 2, 2);
            EXPECT_TRUE(window.calls.empty());
        }
        ASSERT_EQ(window.calls, (canLayer ? std::vector<std::string> { "layered" }
                                          : std::vector<std::string> { "layered", "present" }));
        EXPECT_EQ(window.format, CAIRO_FORMAT_ARGB32);
        EXPECT_EQ(cairo_image_surface_get_width(window.picture), 8);
        EXPECT_EQ(window.At(0, 0), 0u);  // starts transparent
        EXPECT_EQ(window.At(3, 3), 0x80400000u);
    }
}

TEST(PainterFormTest, WindowPainterPresentsItsAreaOnce) {
    RecordingSurface window(100, 80, true);
    {
        GTPainter painter(window, GTRect { 20, 10, 60, 40 });
        painter.FillRect(GTRect { 20, 10, 25, 15 }, GTRgb(255, 0, 0));
    }
    ASSERT_EQ(window.calls, std::vector<std::string> { "present" });
    EXPECT_EQ(window.at, (GTPoint { 20, 10 }));
    EXPECT_EQ(cairo_image_surface_get_width(window.picture), 40);
    EXPECT_EQ(cairo_image_surface_get_height(window.picture), 30);
    EXPECT_EQ(window.At(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(window.At(10, 10) & 0xFFFFFF, 0u);
}

// ---------------------------------------------------------------------------------------------
// Text. White text on black; "ink" is every pixel that is not black.

GTFont YaHei(int height = 20, int weight = 400) {
    return GTFont { "微软雅黑", height, weight, false, false };
}

// Draws `text` into a fresh target and returns it.
std::unique_ptr<Target> Render(const std::string& text, GTRect rect, unsigned format, GTFont font = YaHei(),
                               int width = 120, int height = 48) {
    auto target = std::make_unique<Target>(width, height, OPAQUE_BLACK);
    GTPainter painter(target->cr, false);
    painter.SetFont(font);
    painter.SetTextColor(GTRgb(255, 255, 255));
    painter.DrawText(text, rect, format);
    return target;
}

TEST(PainterTextTest, HorizontalAndVerticalPlacement) {
    const GTRect box { 0, 0, 120, 48 };
    const unsigned line = GT_DT_SINGLELINE | GT_DT_NOPREFIX;
    GTRect left = Render("HHHH", box, line | GT_DT_VCENTER)->Ink();
    GTRect centre = Render("HHHH", box, line | GT_DT_VCENTER | GT_DT_CENTER)->Ink();
    GTRect right = Render("HHHH", box, line | GT_DT_RIGHT)->Ink();
    GTRect top = Render("HHHH", box, line)->Ink();
    GTRect bottom = Render("HHHH", box, line | GT_DT_BOTTOM)->Ink();
    ASSERT_FALSE(left.IsEmpty());

    EXPECT_LE(left.left, 3);
    EXPECT_NEAR((centre.left + centre.right) / 2.0, 60, 2);
    EXPECT_GE(right.right, 116);
    EXPECT_EQ(centre.Width(), left.Width());

    EXPECT_NEAR((left.top + left.bottom) / 2.0, 24, 3);  // vertically centred
    EXPECT_EQ(centre.top, left.top);
    EXPECT_LT(top.bottom, 22);  // top-aligned: within the first line
    EXPECT_GT(bottom.top, 26);
}

TEST(PainterTextTest, SingleLineShowsLineBreaksAsSpaces) {
    const GTRect box { 0, 0, 120, 48 };
    GTRect one = Render("AB\nCD", box, GT_DT_SINGLELINE | GT_DT_NOPREFIX)->Ink();
    GTRect spaced = Render("AB CD", box, GT_DT_SINGLELINE | GT_DT_NOPREFIX)->Ink();
    GTRect two = Render("AB\nCD", box, GT_DT_NOPREFIX)->Ink();
    EXPECT_EQ(one, spaced);
    EXPECT_GT(two.Height(), one.Height() * 2);
    EXPECT_LT(two.Width(), one.Width());
}

TEST(PainterTextTest, EndEllipsisShortensTheLineToFit) {
    const std::string text = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const GTRect box { 0, 0, 60, 30 };
    auto shortened = Render(text, box, GT_LABEL_FORMAT, YaHei(), 120, 30);
    ASSERT_LT(shortened->Ink().right, 60);

    // It starts exactly like a prefix of the text, followed by nothing but a row of dots (the
    // Chinese font centres them on the line).
    const GTRect ink = shortened->Ink();
    std::size_t kept = 0;
    GTRect prefixInk;
    for (std::size_t n = text.size() - 1; n > 0 && kept == 0; --n) {
        auto prefix = Render(text.substr(0, n), GTRect { 0, 0, 120, 30 },
                             GT_LABEL_FORMAT & ~GT_DT_END_ELLIPSIS, YaHei(), 120, 30);
        const GTRect candidate = prefix->Ink();
        bool same = true;
        for (int y = 0; y < 30 && same; ++y)
            for (int x = 0; x < candidate.right && same; ++x) same = prefix->At(x, y) == shortened->At(x, y);
        if (same) {
            kept = n;
            prefixInk = candidate;
        }
    }
    ASSERT_GE(kept, 2u);
    GTRect tail;
    for (int y = ink.top; y < ink.bottom; ++y)
        for (int x = prefixInk.right; x < 120; ++x)
            if (shortened->At(x, y) != OPAQUE_BLACK) tail = tail.Union(GTRect { x, y, x + 1, y + 1 });
    ASSERT_FALSE(tail.IsEmpty());
    EXPECT_LE(tail.Height(), 4);
    EXPECT_GE(tail.top, prefixInk.top);
    EXPECT_LE(tail.bottom, prefixInk.bottom);
    EXPECT_GE(tail.Width(), 6);

    Target scratch(1, 1);
    GTPainter painter(scratch.cr, false);
    painter.SetFont(YaHei());
    GTRect measured = box;
    painter.DrawText(text, measured, GT_LABEL_FORMAT | GT_DT_CALCRECT);
    EXPECT_GT(measured.Width(), 30);
    EXPECT_LE(measured.Width(), 60);
    measured = box;
    painter.DrawText(text, measured, (GT_LABEL_FORMAT & ~GT_DT_END_ELLIPSIS) | GT_DT_CALCRECT);
    EXPECT_GT(measured.Width(), 60);
    EXPECT_EQ(measured.Height(), 20);  // one line of a 20-pixel cell
}

TEST(PainterTextTest, AmpersandIsAPrefixUnlessNoPrefix) {
    const GTRect box { 0, 0, 120, 48 };
    auto prefixed = Render("&Save && go", box, GT_DT_SINGLELINE);
    auto plain = Render("Save & go", box, GT_DT_SINGLELINE | GT_DT_NOPREFIX);
    auto literal = Render("&Save && go", box, GT_DT_SINGLELINE | GT_DT_NOPREFIX);
    EXPECT_EQ(prefixed->Pixels(), plain->Pixels());
    EXPECT_NE(literal->Pixels(), plain->Pixels());
}

TEST(PainterTextTest, ColourAndShadow) {
    Target target(120, 40, OPAQUE_BLACK);
    {
        GTPainter painter(target.cr, GTRect { 0, 0, 120, 40 });
        painter.SetFont(YaHei(20, 700));
        painter.DrawShadowText("88%", GTRect { 0, 0, 120, 40 }, GT_LABEL_FORMAT, GTRgb(255, 0, 0),
                               GTRgb(0, 255, 0), 2, 1);
    }
    const GTRect red = target.Ink(OPAQUE_BLACK, 0x00FF0000);
    const GTRect green = target.Ink(OPAQUE_BLACK, 0x0000FF00);
    ASSERT_FALSE(red.IsEmpty());
    EXPECT_EQ(green.Offset(-2, -1).left, red.left);
    EXPECT_EQ(green.Offset(-2, -1).top, red.top);
    int brightest = 0;
    for (std::uint32_t pixel : target.Pixels()) {
        EXPECT_EQ(Channel(pixel, 0), 0);  // no blue anywhere: red and green only
        brightest = std::max(brightest, Channel(pixel, 16));
    }
    EXPECT_EQ(brightest, 255);
}

TEST(PainterTextTest, FacesMapToInstalledFontsWithTheirOriginalProportions) {
    // Chinese renders with a real CJK font: each ideograph advances one em (20 / 1.32 ≈ 15 px).
    const GTSize two = GTPainter::MeasureText(YaHei(), "中文");
    EXPECT_NEAR(two.width, 30, 1);
    EXPECT_NEAR(GTPainter::MeasureText(YaHei(), "中文中文").width, 2 * two.width, 1);
    EXPECT_EQ(two.height, 20);
    EXPECT_EQ(GTPainter::LineHeight(GTFont { "Tahoma", -11 }), 13);
    EXPECT_EQ(GTPainter::LineHeight(GTFont { "宋体", 12 }), 12);
    EXPECT_EQ(GTPainter::MeasureText(YaHei(), "").width, 0);
    EXPECT_GT(GTPainter::MeasureText(YaHei(20, 700), "Talvane").width,
              GTPainter::MeasureText(YaHei(20, 400), "Talvane").width);
    EXPECT_NE(GTPainter::ResolveFontFamily("宋体").find("Noto Sans CJK SC"), std::string::npos);
    EXPECT_EQ(GTPainter::ResolveFontFamily("Unknown Face"), "Unknown Face, Noto Sans CJK SC, sans-serif");

    auto chinese = Render("正在下载", GTRect { 0, 0, 120, 48 }, GT_LABEL_FORMAT);
    EXPECT_GT(chinese->Ink().Width(), 50);
}

}  // namespace
