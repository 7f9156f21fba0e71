#include "gt/GTResourceManager.h"

#include <png.h>
#include <tinyxml.h>

#include <algorithm>
#include <array>
#include <climits>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "cache/PathUtils.h"
#include "platform/NativePath.h"

namespace {

// Pictures larger than this are refused: a skin sheet is never that big, and a broken or hostile
// header must not make us allocate gigabytes.
constexpr png_uint_32 MAX_PNG_SIDE = 16384;
constexpr unsigned long long MAX_PNG_PIXELS = 1ull << 24;

// Slice geometry is kept within this range, so that no sum of positions and sizes can overflow.
constexpr int MAX_GEOMETRY = 1 << 24;

int Geometry(const char* text) {
    return std::clamp(ParseSkinInt(text), -MAX_GEOMETRY, MAX_GEOMETRY);
}

const char* AttributeOr(const TiXmlElement* element, const char* name, const char* fallback = "") {
    const char* value = element->Attribute(name);
    return value ? value : fallback;
}

bool RelativePathSet(const TiXmlElement* element) {
    const char* value = element->Attribute("RelativePath");
    return value && ParseSkinInt(value) != 0;
}

std::string FullName(const char* set, const char* item) {
    // The original built names with "%s.%s".
    return std::string(set) + "." + item;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// What the decoder hands back; lives in the caller's frame so that a libpng error (a longjmp)
// never skips a destructor.
struct PngRows {
    png_uint_32 width { 0 };
    png_uint_32 height { 0 };
    std::vector<png_byte> bytes;  // height rows of width × 4 bytes: A, R, G, B
    std::vector<png_bytep> rows;
};

void PngError(png_structp png, png_const_charp) {
    std::longjmp(png_jmpbuf(png), 1);
}
void PngWarning(png_structp, png_const_charp) {}

// Decodes 8-bit RGBA with alpha swapped to the front. False for anything else.
bool DecodePng(std::FILE* file, PngRows& out) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_init_io(png, file);
    png_set_user_limits(png, MAX_PNG_SIDE, MAX_PNG_SIDE);
    png_read_info(png, info);
    png_set_swap_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    const unsigned long long pixels =
        static_cast<unsigned long long>(png_get_image_width(png, info)) * png_get_image_height(png, info);
    bool accepted =
        pixels <= MAX_PNG_PIXELS && png_get_bit_depth(png, info) == 8 && png_get_channels(png, info) == 4 &&
        png_get_color_type(png, info) == PNG_COLOR_TYPE_RGB_ALPHA &&
        png_get_rowbytes(png, info) == static_cast<png_size_t>(png_get_image_width(png, info)) * 4;
    if (!accepted) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    out.width = png_get_image_width(png, info);
    out.height = png_get_image_height(png, info);
    out.bytes.assign(static_cast<std::size_t>(out.width) * out.height * 4, 0);
    out.rows.resize(out.height);
    for (png_uint_32 y = 0; y < out.height; ++y)
        out.rows[y] = out.bytes.data() + static_cast<std::size_t>(y) * out.width * 4;
    png_read_image(png, out.rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

// The storage that GetNineGrid cuts into: one for the whole process.
std::array<GTSlice, NineGrid::PartCount>& SharedCutStorage() {
    static std::array<GTSlice, NineGrid::PartCount> storage;
    return storage;
}

}  // namespace

int ParseSkinInt(const char* text) {
    if (!text) return 0;
    const char* p = text;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return static_cast<int>(value);
}

std::uint32_t ParseSkinRgb(const char* text) {
    if (!text) return 0;
    const std::size_t length = std::strlen(text);
    auto digit = [&](std::size_t i) { return i < length ? HexDigit(text[i]) : -1; };
    std::uint32_t rgb = 0;
    for (std::size_t pair = 0; pair < 3; ++pair) {
        const int high = digit(pair * 2), low = digit(pair * 2 + 1);
        const std::uint32_t value = high < 0 || low < 0 ? 0 : static_cast<std::uint32_t>(high * 16 + low);
        rgb = rgb << 8 | value;
    }
    return rgb;
}

std::string SkinDirectoryOf(const std::string& path) {
    std::size_t cut = path.rfind('\\');
    if (cut == std::string::npos) cut = path.rfind('/');
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

GTRect NineGridPartRect(int part, int x, int y, int w, int h, const GTMargins& m) {
    const int l = m.left, t = m.top, r = m.right, b = m.bottom;
    const int midW = w - l - r, midH = h - b - t;
    switch (part) {
        case NineGrid::TopLeft:
            return GTRect::FromSize(x, y, l, t);
        case NineGrid::Top:
            return GTRect::FromSize(x + l, y, midW, t);
        case NineGrid::TopRight:
            return GTRect::FromSize(x + w - r, y, r, t);
        case NineGrid::Left:
            return GTRect::FromSize(x, y + t, l, midH);
        case NineGrid::Centre:
            return GTRect::FromSize(x + l, y + t, midW, midH);
        case NineGrid::Right:
            return GTRect::FromSize(x + w - r, y + t, r, midH);
        case NineGrid::BottomLeft:
            return GTRect::FromSize(x, y + h - b, l, b);
        case NineGrid::Bottom:
            return GTRect::FromSize(x + l, y + h - b, midW, b);
        case NineGrid::BottomRight:
            return GTRect::FromSize(x + w - r, y + h - b, r, b);
        default:
            return GTRect {};
    }
}

GTResourceManager& GTResourceManager::Instance() {
    static GTResourceManager instance;
    return instance;
}

GTResourceManager::GTResourceManager() = default;

GTResourceManager::~GTResourceManager() {
    Clear();
}

void GTResourceManager::Clear() {
    m_slices.clear();
    m_images.clear();
    m_colors.clear();
}

bool GTResourceManager::LoadSchema(const std::string& path) {
    TiXmlDocument document;
    if (!document.LoadFile(platform::NativePath(path).c_str(), TIXML_DEFAULT_ENCODING)) return false;
    const TiXmlElement* schema = document.FirstChildElement();
    if (!schema) return false;
    const bool relative = RelativePathSet(schema);
    const std::string directory = SkinDirectoryOf(path);
    for (const TiXmlElement* set = schema->FirstChildElement("Imageset"); set;
         set = set->NextSiblingElement()) {
        std::string file = AttributeOr(set, "Filename");
        if (relative) file = JoinPath(directory, file);
        LoadImageSet(file);  // one bad image set does not stop the others
    }
    return true;
}

bool GTResourceManager::LoadImageSet(const std::string& path) {
    TiXmlDocument document;
    if (!document.LoadFile(platform::NativePath(path).c_str(), TIXML_DEFAULT_ENCODING)) return false;
    const std::string directory = SkinDirectoryOf(path);
    for (const TiXmlElement* set = document.FirstChildElement(); set; set = set->NextSiblingElement()) {
        std::string imageFile = AttributeOr(set, "Imagefile");
        const char* setName = AttributeOr(set, "Name");
        if (RelativePathSet(set)) imageFile = JoinPath(directory, imageFile);

        auto found = m_images.find(imageFile);
        if (found == m_images.end()) {
            std::unique_ptr<GTImage> image = LoadPngImage(imageFile);
            if (!image) return false;  // the rest of this file is not read
            found = m_images.emplace(imageFile, std::move(image)).first;
        }
        const GTImage* image = found->second.get();

        for (const TiXmlElement* item = set->FirstChildElement("Image"); item;
             item = item->NextSiblingElement()) {
            std::string name = FullName(setName, AttributeOr(item, "Name"));
            if (m_slices.count(name)) continue;  // the first definition wins
            m_slices.emplace(name, std::make_unique<GTSlice>(name, Geometry(item->Attribute("XPos")),
                                                             Geometry(item->Attribute("YPos")),
                                                             Geometry(item->Attribute("Width")),
                                                             Geometry(item->Attribute("Height")), image));
        }
        for (const TiXmlElement* item = set->FirstChildElement("Color"); item;
             item = item->NextSiblingElement()) {
            const char* rgb = item->Attribute("RGB");
            if (!rgb) continue;  // a colour without a value defines nothing
            m_colors.emplace(FullName(setName, AttributeOr(item, "Name")), ParseSkinRgb(rgb));
        }
    }
    return true;
}

std::unique_ptr<GTImage> GTResourceManager::LoadPngImage(const std::string& path) {
    std::FILE* file = std::fopen(platform::NativePath(path).c_str(), "rb");
    if (!file) return nullptr;
    PngRows rows;
    bool decoded = DecodePng(file, rows);
    std::fclose(file);
    if (!decoded) return nullptr;

    auto image = std::make_unique<GTImage>(static_cast<int>(rows.width), static_cast<int>(rows.height));
    std::uint32_t* out = image->Pixels();
    const png_byte* in = rows.bytes.data();
    const std::size_t count = static_cast<std::size_t>(rows.width) * rows.height;
    for (std::size_t i = 0; i < count; ++i, in += 4) {
        const std::uint32_t a = in[0], r = in[1], g = in[2], b = in[3];
        // Premultiplied with a shift by 8, not a division by 255: opaque 255 becomes 254.
        out[i] = a << 24 | ((r * a) >> 8) << 16 | ((g * a) >> 8) << 8 | ((b * a) >> 8);
    }
    image->MarkDirty();
    return image;
}

const GTSlice* GTResourceManager::FindSlice(const std::string& name) const {
    auto found = m_slices.find(name);
    return found == m_slices.end() ? nullptr : found->second.get();
}

void GTResourceManager::GetNineGrid(const std::string& name, const GTMargins& margins, NineGrid& grid) const {
    const GTSlice* slice = FindSlice(name);
    if (!slice || !slice->image) return;
    auto& storage = SharedCutStorage();
    for (int part = 0; part < NineGrid::PartCount; ++part) {
        GTRect r = NineGridPartRect(part, slice->x, slice->y, slice->width, slice->height, margins);
        storage[part] = GTSlice(slice->name, r.left, r.top, r.Width(), r.Height(), slice->image);
        grid.parts[part] = &storage[part];
    }
}

bool GTResourceManager::FindColor(const std::string& name, std::uint32_t& rgb) const {
    auto found = m_colors.find(name);
    if (found == m_colors.end()) return false;
    rgb = found->second;
    return true;
}
