#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <string>

#include "gt/GTResourceManager.h"
#include "tests/gt/PngWriter.h"
#include "tests/support/TempDir.h"

namespace {

using test::ClientPath;
using test::TempDir;

// An image-set element with its Image elements (name, x, y, w, h).
std::string ImageSet(const std::string& name, const std::string& imageFile, const std::string& relative,
                     const std::string& children) {
    std::string attributes = "Name=\"" + name + "\" Imagefile=\"" + imageFile + "\"";
    if (!relative.empty()) attributes += " RelativePath=\"" + relative + "\"";
    return "<Imageset " + attributes + ">" + children + "</Imageset>\n";
}

std::string Image(const std::string& name, int x, int y, int w, int h) {
    return "<Image Name=\"" + name + "\" XPos=\"" + std::to_string(x) + "\" YPos=\"" + std::to_string(y) +
           "\" Width=\"" + std::to_string(w) + "\" Height=\"" + std::to_string(h) + "\"/>";
}

std::string Schema(const std::string& relative, const std::vector<std::string>& files) {
    std::string text = "<GTSchema Name=\"default\"";
    if (!relative.empty()) text += " RelativePath=\"" + relative + "\"";
    text += ">\n";
    for (const auto& file : files) text += "  <Imageset Filename=\"" + file + "\"/>\n";
    return text + "</GTSchema>\n";
}

// A PNG signature and an IHDR chunk for an 8-bit RGBA picture of that size, with nothing after.
std::string PngHeaderOnly(std::uint32_t width, std::uint32_t height) {
    auto be32 = [](std::uint32_t v) {
        return std::string { static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                             static_cast<char>(v >> 8), static_cast<char>(v) };
    };
    std::string chunk = "IHDR" + be32(width) + be32(height) + std::string { 8, 6, 0, 0, 0 };
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), static_cast<uInt>(chunk.size())));
    return std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + chunk + be32(crc);
}

class ResourceManagerTest : public ::testing::Test {
protected:
    TempDir dir;
    GTResourceManager skin;
};

TEST_F(ResourceManagerTest, DecodesRgbaPremultipliedByShiftTopRowFirst) {
    // Straight RGBA in, premultiplied 0xAARRGGBB out with (c × a) >> 8.
    const std::vector<std::uint8_t> rgba = {
        255, 0,   0,   255,  // opaque red: 255 is stored as 254
        10,  20,  30,  0,    // alpha 0: all bits zero whatever the colour
        200, 100, 50,  128,  // half: 100, 50, 25
        255, 255, 255, 255,  // second row: opaque white
        1,   2,   3,   4,    // tiny alpha rounds down to 0
        0,   0,   0,   255,  // opaque black
    };
    ASSERT_TRUE(test::WritePng(dir / "p.png", 3, 2, PNG_COLOR_TYPE_RGB_ALPHA, 8, rgba));
    auto image = GTResourceManager::LoadPngImage((dir / "p.png").string());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Width(), 3);
    EXPECT_EQ(image->Height(), 2);
    EXPECT_EQ(image->Stride(), 12);
    EXPECT_EQ(image->PixelAt(0, 0), 0xFFFE0000u);
    EXPECT_EQ(image->PixelAt(1, 0), 0x00000000u);
    EXPECT_EQ(image->PixelAt(2, 0), 0x80643219u);
    EXPECT_EQ(image->PixelAt(0, 1), 0xFFFEFEFEu);
    EXPECT_EQ(image->PixelAt(1, 1), 0x04000000u);
    EXPECT_EQ(image->PixelAt(2, 1), 0xFF000000u);
    // The buffer itself: little-endian B, G, R, A, rows one stride apart.
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(image->Pixels());
    EXPECT_EQ(bytes[8 + 0], 0x19);
    EXPECT_EQ(bytes[8 + 3], 0x80);
    EXPECT_EQ(bytes[image->Stride() + 0], 0xFE);
}

TEST_F(ResourceManagerTest, RefusesEveryOtherPixelFormatAndBrokenFiles) {
    const std::vector<std::uint8_t> four(4 * 4 * 2, 200);  // enough bytes for every layout below
    test::WritePng(dir / "rgb.png", 2, 2, PNG_COLOR_TYPE_RGB, 8, std::vector<std::uint8_t>(12, 7));
    test::WritePng(dir / "grey.png", 2, 2, PNG_COLOR_TYPE_GRAY, 8, std::vector<std::uint8_t>(4, 7));
    test::WritePng(dir / "greyalpha.png", 2, 2, PNG_COLOR_TYPE_GRAY_ALPHA, 8,
                   std::vector<std::uint8_t>(8, 7));
    test::WritePng(dir / "rgba16.png", 2, 2, PNG_COLOR_TYPE_RGB_ALPHA, 16, std::vector<std::uint8_t>(32, 7));
    test::WritePng(dir / "palette.png", 2, 2, PNG_COLOR_TYPE_PALETTE, 8, std::vector<std::uint8_t>(4, 0),
                   { png_color { 1, 2, 3 } });
    test::WriteSolidRgbaPng(dir / "good.png", 64, 64, 1, 2, 3, 255);
    const std::string good = dir.Read("good.png");
    dir.Write("truncated.png", good.substr(0, good.size() / 2));
    dir.Write("text.png", "not a picture at all");
    // Headers that promise more pixels than any skin sheet has, with nothing behind them.
    dir.Write("wide.png", PngHeaderOnly(20000, 1));
    dir.Write("huge.png", PngHeaderOnly(8000, 8000));
    dir.Write("empty.png", "");

    for (const char* name :
         { "rgb.png", "grey.png", "greyalpha.png", "rgba16.png", "palette.png", "truncated.png", "text.png",
           "empty.png", "missing.png", "wide.png", "huge.png" }) {
        EXPECT_EQ(GTResourceManager::LoadPngImage((dir / name).string()), nullptr) << name;
    }
    EXPECT_NE(GTResourceManager::LoadPngImage((dir / "good.png").string()), nullptr);
}

TEST(SkinTextTest, RgbPairsAreReadOneByOne) {
    struct Case {
        const char* text;
        std::uint32_t rgb;
    };
    for (const Case& c : std::initializer_list<Case> {
             { "1a2B3c", 0x1A2B3C },
             { "zz8000", 0x008000 },  // the red pair meets a non-digit: 0; the others stay
             { "FFFFFF", 0xFFFFFF },
             { "12g456", 0x120056 },  // "g4" is not a pair: only green is 0
             { "12345", 0x123400 },   // the blue pair runs past the end
             { "", 0 },
             { "#FFFFFF", 0x00FFFF },  // no "#" prefix in the format: "#F" is not a pair
         }) {
        EXPECT_EQ(ParseSkinRgb(c.text), c.rgb) << c.text;
    }
}

TEST(SkinTextTest, NumbersComeFromTheirLeadingDigits) {
    struct Case {
        const char* text;
        int value;
    };
    for (const Case& c : std::initializer_list<Case> { { "42", 42 },
                                                       { "-7", -7 },
                                                       { "+5", 5 },
                                                       { "12px", 12 },
                                                       { "px12", 0 },
                                                       { "", 0 },
                                                       { nullptr, 0 },
                                                       { " 3", 0 },
                                                       { "99999999999", 2147483647 },
                                                       { "-99999999999", -2147483647 - 1 } }) {
        EXPECT_EQ(ParseSkinInt(c.text), c.value) << (c.text ? c.text : "(none)");
    }
}

// The whole path of a skin: schema → image sets → one PNG shared by two sets.
TEST_F(ResourceManagerTest, SchemaLoadsSetsRelativeToItselfSharingOnePicture) {
    test::WriteSolidRgbaPng(dir / "skin/sheet.png", 40, 20, 0, 0, 255, 255);
    dir.Write("skin/a.xml", ImageSet("btn", "sheet.png", "1",
                                     Image("ok.normal", 0, 0, 10, 5) + Image("ok.hot", 10, 0, 10, 5) +
                                         "<Color Name=\"text\" RGB=\"969696\"/>"));
    // The second set redefines "btn.ok.normal" and "btn.text": the first definitions stay.
    dir.Write("skin/b.xml", ImageSet("btn", "sheet.png", "1",
                                     Image("ok.normal", 30, 15, 1, 1) + Image("ok.pushed", 20, 0, 10, 5) +
                                         "<Color Name=\"text\" RGB=\"F6C278\"/>"));
    dir.Write("skin/c.xml", ImageSet("menu", "sheet.png", "1", Image("bkg", 0, 5, 40, 15)));
    // "Imageset" starts the list; every later sibling counts whatever its name, earlier ones not.
    dir.Write("skin/index.schema",
              "<GTSchema RelativePath=\"1\">\n"
              "  <Skip Filename=\"c.xml\"/>\n"
              "  <Imageset Filename=\"a.xml\"/>\n"
              "  <Imageset Filename=\"b.xml\"/>\n"
              "  <Other Filename=\"c.xml\"/>\n"
              "</GTSchema>\n");

    // The client's own path form, with "\" separators.
    ASSERT_TRUE(skin.LoadSchema(ClientPath(dir / "skin/index.schema")));

    EXPECT_EQ(skin.ImageCount(), 1u);
    const GTSlice* normal = skin.FindSlice("btn.ok.normal");
    const GTSlice* pushed = skin.FindSlice("btn.ok.pushed");
    const GTSlice* menu = skin.FindSlice("menu.bkg");
    ASSERT_TRUE(normal && pushed && menu && skin.FindSlice("btn.ok.hot"));
    EXPECT_EQ(normal->name, "btn.ok.normal");
    EXPECT_EQ((GTRect { normal->x, normal->y, normal->width, normal->height }), (GTRect { 0, 0, 10, 5 }));
    EXPECT_EQ(normal->image, pushed->image);
    EXPECT_EQ(normal->image, menu->image);
    EXPECT_EQ(normal->image->Width(), 40);
    EXPECT_EQ(skin.FindSlice("BTN.ok.normal"), nullptr);  // names are case-sensitive
    EXPECT_EQ(skin.FindSlice("btn.ok"), nullptr);

    std::uint32_t rgb = 0;
    ASSERT_TRUE(skin.FindColor("btn.text", rgb));
    EXPECT_EQ(rgb, 0x969696u);
}

TEST_F(ResourceManagerTest, PathsDifferingInCaseAreDifferentPictures) {
    test::WriteSolidRgbaPng(dir / "sheet.png", 4, 4, 0, 0, 0, 255);
    test::WriteSolidRgbaPng(dir / "Sheet.png", 4, 4, 0, 0, 0, 255);
    dir.Write("set.xml", ImageSet("a", "sheet.png", "1", Image("x", 0, 0, 1, 1)) +
                             ImageSet("b", "Sheet.png", "1", Image("x", 0, 0, 1, 1)) +
                             ImageSet("c", "sheet.png", "1", Image("x", 0, 0, 1, 1)));
    ASSERT_TRUE(skin.LoadImageSet((dir / "set.xml").string()));
    EXPECT_EQ(skin.ImageCount(), 2u);
    EXPECT_NE(skin.FindSlice("a.x")->image, skin.FindSlice("b.x")->image);
    EXPECT_EQ(skin.FindSlice("a.x")->image, skin.FindSlice("c.x")->image);
}

TEST_F(ResourceManagerTest, PictureWithoutAlphaStopsTheRestOfItsFileOnly) {
    test::WriteSolidRgbaPng(dir / "good.png", 8, 8, 9, 9, 9, 255);
    test::WritePng(dir / "rgb24.png", 2, 2, PNG_COLOR_TYPE_RGB, 8, std::vector<std::uint8_t>(12, 7));
    dir.Write("first.xml", ImageSet("one", "good.png", "1", Image("a", 0, 0, 2, 2)) +
                               ImageSet("two", "rgb24.png", "1", Image("a", 0, 0, 2, 2)) +
                               ImageSet("three", "good.png", "1", Image("a", 0, 0, 2, 2)));
    dir.Write("second.xml", ImageSet("four", "good.png", "1", Image("a", 0, 0, 2, 2)));
    dir.Write("broken.xml", "<Imageset Name=\"five\" Imagefile=\"good.png\"><Image Name=\"a\"");
    dir.Write("index.schema", Schema("1", { "first.xml", "missing.xml", "broken.xml", "second.xml" }));

    EXPECT_TRUE(skin.LoadSchema((dir / "index.schema").string()));
    EXPECT_NE(skin.FindSlice("one.a"), nullptr);
    EXPECT_EQ(skin.FindSlice("two.a"), nullptr);
    EXPECT_EQ(skin.FindSlice("three.a"), nullptr);  // after the failure nothing of that file is read
    EXPECT_NE(skin.FindSlice("four.a"), nullptr);   // other files still load
    EXPECT_EQ(skin.FindSlice("five.a"), nullptr);

    GTResourceManager alone;
    EXPECT_FALSE(alone.LoadImageSet((dir / "first.xml").string()));
    EXPECT_NE(alone.FindSlice("one.a"), nullptr);
}

TEST_F(ResourceManagerTest, WithoutRelativePathNamesAreUsedAsWritten) {
    test::WriteSolidRgbaPng(dir / "skin/sheet.png", 4, 4, 0, 0, 0, 255);
    // Written relative to the working directory (dir), not to the schema's directory.
    dir.Write("skin/cwd.xml", ImageSet("cwd", "skin/sheet.png", "0", Image("x", 0, 0, 1, 1)) +
                                  ImageSet("own", "sheet.png", "", Image("x", 0, 0, 1, 1)));
    dir.Write("skin/index.schema", Schema("0", { "skin/cwd.xml" }));
    dir.Write("skin/absent.schema", Schema("", { "cwd.xml" }));

    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    GTResourceManager fromSchemaDir;
    const bool loadedAbsent = fromSchemaDir.LoadSchema("skin/absent.schema");
    const bool loaded = skin.LoadSchema("skin/index.schema");
    std::filesystem::current_path(previous);

    EXPECT_TRUE(loadedAbsent);
    EXPECT_EQ(fromSchemaDir.SliceCount(), 0u);  // "cwd.xml" is not in the working directory
    ASSERT_TRUE(loaded);
    EXPECT_NE(skin.FindSlice("cwd.x"), nullptr);
    EXPECT_EQ(skin.FindSlice("own.x"), nullptr);  // "sheet.png" is not in the working directory
}

TEST_F(ResourceManagerTest, MissingOrBrokenSchemaLoadsNothing) {
    dir.Write("broken.schema", "<GTSchema><Imageset Filename=\"a.xml\">");
    dir.Write("empty.schema", "");
    EXPECT_FALSE(skin.LoadSchema((dir / "missing.schema").string()));
    EXPECT_FALSE(skin.LoadSchema((dir / "broken.schema").string()));
    EXPECT_FALSE(skin.LoadSchema((dir / "empty.schema").string()));
    EXPECT_EQ(skin.SliceCount(), 0u);
    EXPECT_EQ(skin.FindSlice("anything.at.all"), nullptr);
}

TEST_F(ResourceManagerTest, ImageAndColorWalksRunOverAllLaterSiblings) {
    test::WriteSolidRgbaPng(dir / "sheet.png", 4, 4, 0, 0, 0, 255);
    dir.Write("set.xml", ImageSet("s", "sheet.png", "1",
                                  "<Color Name=\"early\" RGB=\"010203\"/>" + Image("pic", 1, 2, 3, 4) +
                                      "<Color Name=\"late\" RGB=\"0A0B0C\"/>"));
    ASSERT_TRUE(skin.LoadImageSet((dir / "set.xml").string()));
    std::uint32_t rgb = 0;
    EXPECT_TRUE(skin.FindColor("s.early", rgb));
    EXPECT_FALSE(skin.FindColor("s.pic", rgb));  // walked as a colour too, but it has no "RGB"
    ASSERT_TRUE(skin.FindColor("s.late", rgb));
    EXPECT_EQ(rgb, 0x0A0B0Cu);
    EXPECT_EQ(skin.FindSlice("s.early"), nullptr);
    const GTSlice* late = skin.FindSlice("s.late");  // a Color after the first Image is read as a slice
    ASSERT_NE(late, nullptr);
    EXPECT_EQ(late->width, 0);
}

//   x: 10   13          35   40        (slice 10,20 30×40, margins l3 t4 r5 b6)
//   y: 20 +--+-----------+----+
//         |TL|     T     | TR |
//   24    +--+-----------+----+
//         |L |     C     | R  |
//   54    +--+-----------+----+
//         |BL|     B     | BR |
//   60    +--+-----------+----+
TEST_F(ResourceManagerTest, NineGridCutsNineRectanglesAndKeepsTheMode) {
    test::WriteSolidRgbaPng(dir / "sheet.png", 64, 64, 0, 0, 0, 255);
    dir.Write("set.xml",
              ImageSet("bg", "sheet.png", "1", Image("frame", 10, 20, 30, 40) + Image("tiny", 0, 0, 4, 4)));
    ASSERT_TRUE(skin.LoadImageSet((dir / "set.xml").string()));

    NineGrid grid;
    grid.mode = NineGrid::Frame;
    skin.GetNineGrid("bg.frame", GTMargins { 3, 4, 5, 6 }, grid);
    const GTRect expected[9] = {
        { 10, 20, 13, 24 }, { 13, 20, 35, 24 }, { 35, 20, 40, 24 },  //
        { 10, 24, 13, 54 }, { 13, 24, 35, 54 }, { 35, 24, 40, 54 },  //
        { 10, 54, 13, 60 }, { 13, 54, 35, 60 }, { 35, 54, 40, 60 },
    };
    for (int i = 0; i < 9; ++i) {
        const GTSlice* part = grid.parts[i];
        ASSERT_NE(part, nullptr);
        EXPECT_EQ(GTRect::FromSize(part->x, part->y, part->width, part->height), expected[i]) << "part " << i;
        EXPECT_EQ(part->image, skin.FindSlice("bg.frame")->image);
        EXPECT_EQ(part->name, "bg.frame");
    }
    EXPECT_EQ(grid.mode, NineGrid::Frame);

    // Margins larger than the slice: negative sizes in the middle.
    skin.GetNineGrid("bg.tiny", GTMargins { 3, 3, 3, 3 }, grid);
    EXPECT_EQ(grid.parts[NineGrid::Centre]->width, -2);
    EXPECT_EQ(grid.parts[NineGrid::Centre]->height, -2);
    EXPECT_EQ(grid.parts[NineGrid::BottomRight]->x, 1);

    // An unknown name leaves the record alone.
    NineGrid untouched;
    skin.GetNineGrid("bg.nothing", GTMargins { 1, 1, 1, 1 }, untouched);
    for (const GTSlice* part : untouched.parts) EXPECT_EQ(part, nullptr);
    EXPECT_EQ(untouched.mode, NineGrid::Full);
}

TEST_F(ResourceManagerTest, NineGridPartsAreSharedBetweenCalls) {
    test::WriteSolidRgbaPng(dir / "sheet.png", 64, 64, 0, 0, 0, 255);
    dir.Write("set.xml",
              ImageSet("bg", "sheet.png", "1", Image("a", 0, 0, 30, 30) + Image("b", 32, 32, 20, 20)));
    ASSERT_TRUE(skin.LoadImageSet((dir / "set.xml").string()));
    NineGrid first, second;
    skin.GetNineGrid("bg.a", GTMargins { 5, 5, 5, 5 }, first);
    skin.GetNineGrid("bg.b", GTMargins { 2, 2, 2, 2 }, second);
    // The earlier record now shows the later cut.
    EXPECT_EQ(first.parts[NineGrid::TopLeft], second.parts[NineGrid::TopLeft]);
    EXPECT_EQ(first.parts[NineGrid::TopLeft]->x, 32);
    EXPECT_EQ(first.parts[NineGrid::TopLeft]->width, 2);
}

}  // namespace
