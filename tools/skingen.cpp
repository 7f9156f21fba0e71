// skingen: draws the client's default skin and writes it into a directory.
//
//   skingen OUTDIR
//
// writes OUTDIR/index.schema, one image-set XML file per sheet, the PNG sheets (8-bit RGBA,
// straight alpha) and the icons beside them. Every picture is drawn here with Cairo and Pango,
// so the skin is changed by changing this file; the build runs it into bin/skin/default/.
//
// The look: a dark card table. Window chrome is charcoal with a gold hairline where a bar meets
// the body, window bodies are deep green felt, accents are warm gold. Text in pictures uses the
// client's colours: #969696 for normal text, #F6C278 when hot, ivory for messages. The update
// dialog is an ivory playing card, because its texts (dark grey, near-black on gold) need a light
// ground. Chinese text uses Noto Sans CJK SC.
//
// Output is reproducible: no clock, no randomness, fixed packing order.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "gt/GTSkinNames.h"
#include "tools/SkinDrawing.h"

namespace {

namespace fs = std::filesystem;
using namespace skin_drawing;

// ---------------------------------------------------------------------------------------------
// Colours beyond the shared palette (tools/SkinPalette.h).

constexpr Rgb GOLD_DEEP = Hex(0xA8742C);
// Text.
constexpr Rgb TEXT_DISABLED = Hex(0x4C4C4F);
constexpr Rgb IVORY = Hex(0xEFE6D2);
constexpr Rgb IVORY_DIM = Hex(0x9A9384);
// Close button.
constexpr Rgb DANGER = Hex(0xB5342C);

const char* const STATE_SUFFIX[] = { skin::STATE_NORMAL, skin::STATE_HOT, skin::STATE_PUSHED,
                                     skin::STATE_DISABLE };

// ---------------------------------------------------------------------------------------------
// Shapes beyond the shared ones (tools/SkinDrawing.h).

// Rounded at the top only.
void TabShape(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_move_to(cr, x, y + h);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_line_to(cr, x + w, y + h);
    cairo_close_path(cr);
}

void FillGradientRect(cairo_t* cr, double x, double y, double w, double h, Rgb top, Rgb bottom) {
    VerticalGradient(cr, y, y + h, top, bottom);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

void Stroke(cairo_t* cr, Rgb c, double width, double alpha = 1.0) {
    Set(cr, c, alpha);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

// ---------------------------------------------------------------------------------------------
// Text.

// Width of a text in a font.
double TextWidth(cairo_t* cr, const std::string& text, Font font) {
    PangoLayout* layout = MakeLayout(cr, text, font);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    g_object_unref(layout);
    return logical.width;
}

// ---------------------------------------------------------------------------------------------
// Glyphs: small line drawings in a box of `s` pixels at (x, y).

void GlyphClose(cairo_t* cr, double x, double y, double s, Rgb c) {
    double m = s * 0.3;
    cairo_move_to(cr, x + m, y + m);
    cairo_line_to(cr, x + s - m, y + s - m);
    cairo_move_to(cr, x + s - m, y + m);
    cairo_line_to(cr, x + m, y + s - m);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    Stroke(cr, c, 1.6);
}

void GlyphMinimise(cairo_t* cr, double x, double y, double s, Rgb c) {
    FillRect(cr, std::round(x + s * 0.28), std::round(y + s * 0.62), std::round(s * 0.44), 2, c);
}

void GlyphMaximise(cairo_t* cr, double x, double y, double s, Rgb c) {
    double a = std::round(x + s * 0.28) + 0.5, b = std::round(y + s * 0.28) + 0.5, w = std::round(s * 0.44);
    cairo_rectangle(cr, a, b, w, w);
    Stroke(cr, c, 1);
    HLine(cr, a - 0.5, a - 0.5 + w, b + 0.5, c);
}

void GlyphRestore(cairo_t* cr, double x, double y, double s, Rgb c) {
    double w = std::round(s * 0.36);
    double a = std::round(x + s * 0.24) + 0.5, b = std::round(y + s * 0.36) + 0.5;
    cairo_rectangle(cr, a, b, w, w);
    Stroke(cr, c, 1);
    // The window behind: only its top and right edges show.
    cairo_move_to(cr, a + 3, b);
    cairo_line_to(cr, a + 3, b - 3);
    cairo_line_to(cr, a + 3 + w, b - 3);
    cairo_line_to(cr, a + 3 + w, b - 3 + w);
    cairo_line_to(cr, a + w, b - 3 + w);
    Stroke(cr, c, 1);
}

void GlyphRefresh(cairo_t* cr, double x, double y, double s, Rgb c) {
    double cx = x + s / 2, cy = y + s / 2, r = s * 0.3;
    cairo_arc(cr, cx, cy, r, -M_PI * 0.35, M_PI * 1.45);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    Stroke(cr, c, 1.6);
    double ax = cx + r * std::cos(-M_PI * 0.35), ay = cy + r * std::sin(-M_PI * 0.35);
    cairo_move_to(cr, ax + 3.2, ay - 0.6);
    cairo_line_to(cr, ax - 0.4, ay - 3.4);
    cairo_line_to(cr, ax - 0.2, ay + 1.8);
    cairo_close_path(cr);
    Set(cr, c);
    cairo_fill(cr);
}

void GlyphCamera(cairo_t* cr, double x, double y, double s, Rgb c) {
    RoundRect(cr, x + s * 0.16 + 0.5, y + s * 0.3 + 0.5, s * 0.68, s * 0.46, 2);
    Stroke(cr, c, 1.3);
    cairo_rectangle(cr, x + s * 0.36, y + s * 0.2, s * 0.24, s * 0.12);
    Set(cr, c);
    cairo_fill(cr);
    cairo_arc(cr, x + s * 0.5, y + s * 0.53, s * 0.13, 0, 2 * M_PI);
    Stroke(cr, c, 1.3);
}

void GlyphFolder(cairo_t* cr, double x, double y, double s, Rgb c) {
    cairo_move_to(cr, x + s * 0.14, y + s * 0.78);
    cairo_line_to(cr, x + s * 0.14, y + s * 0.24);
    cairo_line_to(cr, x + s * 0.4, y + s * 0.24);
    cairo_line_to(cr, x + s * 0.48, y + s * 0.34);
    cairo_line_to(cr, x + s * 0.86, y + s * 0.34);
    cairo_line_to(cr, x + s * 0.86, y + s * 0.78);
    cairo_close_path(cr);
    Stroke(cr, c, 1.3);
}

void GlyphCoin(cairo_t* cr, double x, double y, double s, Rgb c) {
    cairo_arc(cr, x + s / 2, y + s / 2, s * 0.38, 0, 2 * M_PI);
    Stroke(cr, c, 1.4);
    // A yuan sign.
    double cx = x + s / 2, t = y + s * 0.3;
    cairo_move_to(cr, cx - s * 0.14, t);
    cairo_line_to(cr, cx, t + s * 0.16);
    cairo_line_to(cr, cx + s * 0.14, t);
    cairo_move_to(cr, cx, t + s * 0.16);
    cairo_line_to(cr, cx, y + s * 0.72);
    cairo_move_to(cr, cx - s * 0.13, t + s * 0.2);
    cairo_line_to(cr, cx + s * 0.13, t + s * 0.2);
    cairo_move_to(cr, cx - s * 0.13, t + s * 0.3);
    cairo_line_to(cr, cx + s * 0.13, t + s * 0.3);
    Stroke(cr, c, 1.2);
}

void GlyphBubble(cairo_t* cr, double x, double y, double s, Rgb c) {
    RoundRect(cr, x + s * 0.12 + 0.5, y + s * 0.18 + 0.5, s * 0.76, s * 0.5, 3);
    Stroke(cr, c, 1.3);
    cairo_move_to(cr, x + s * 0.3, y + s * 0.68);
    cairo_line_to(cr, x + s * 0.26, y + s * 0.88);
    cairo_line_to(cr, x + s * 0.48, y + s * 0.68);
    Stroke(cr, c, 1.3);
    for (int i = 0; i < 3; ++i) {
        cairo_arc(cr, x + s * (0.34 + 0.16 * i), y + s * 0.43, s * 0.05, 0, 2 * M_PI);
        Set(cr, c);
        cairo_fill(cr);
    }
}

void GlyphPencil(cairo_t* cr, double x, double y, double s, Rgb c) {
    cairo_move_to(cr, x + s * 0.2, y + s * 0.8);
    cairo_line_to(cr, x + s * 0.24, y + s * 0.62);
    cairo_line_to(cr, x + s * 0.66, y + s * 0.2);
    cairo_line_to(cr, x + s * 0.8, y + s * 0.34);
    cairo_line_to(cr, x + s * 0.38, y + s * 0.76);
    cairo_close_path(cr);
    Stroke(cr, c, 1.3);
    HLine(cr, x + s * 0.45, x + s * 0.85, std::round(y + s * 0.8), c);
}

void GlyphHeadset(cairo_t* cr, double x, double y, double s, Rgb c) {
    cairo_arc(cr, x + s / 2, y + s * 0.55, s * 0.32, M_PI, 2 * M_PI);
    Stroke(cr, c, 1.3);
    RoundRect(cr, x + s * 0.14, y + s * 0.5, s * 0.16, s * 0.28, 2);
    RoundRect(cr, x + s * 0.7, y + s * 0.5, s * 0.16, s * 0.28, 2);
    Set(cr, c);
    cairo_fill(cr);
}

void GlyphNews(cairo_t* cr, double x, double y, double s, Rgb c) {
    RoundRect(cr, x + s * 0.16 + 0.5, y + s * 0.16 + 0.5, s * 0.68, s * 0.68, 1.5);
    Stroke(cr, c, 1.2);
    for (int i = 0; i < 3; ++i) HLine(cr, x + s * 0.3, x + s * 0.7, std::round(y + s * (0.34 + 0.15 * i)), c);
}

void GlyphBroom(cairo_t* cr, double x, double y, double s, Rgb c) {
    // A bin with a lid.
    HLine(cr, x + s * 0.2, x + s * 0.8, std::round(y + s * 0.26), c);
    FillRect(cr, std::round(x + s * 0.42), std::round(y + s * 0.16), std::round(s * 0.16), 2, c);
    cairo_move_to(cr, x + s * 0.27, y + s * 0.34);
    cairo_line_to(cr, x + s * 0.32, y + s * 0.84);
    cairo_line_to(cr, x + s * 0.68, y + s * 0.84);
    cairo_line_to(cr, x + s * 0.73, y + s * 0.34);
    Stroke(cr, c, 1.3);
}

void GlyphPlay(cairo_t* cr, double x, double y, double s, Rgb c) {
    cairo_arc(cr, x + s / 2, y + s / 2, s * 0.4, 0, 2 * M_PI);
    Stroke(cr, c, 1.3);
    cairo_move_to(cr, x + s * 0.42, y + s * 0.32);
    cairo_line_to(cr, x + s * 0.68, y + s * 0.5);
    cairo_line_to(cr, x + s * 0.42, y + s * 0.68);
    cairo_close_path(cr);
    Set(cr, c);
    cairo_fill(cr);
}

void GlyphSwap(cairo_t* cr, double x, double y, double s, Rgb c) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, x + s * 0.18, y + s * 0.36);
    cairo_line_to(cr, x + s * 0.8, y + s * 0.36);
    cairo_move_to(cr, x + s * 0.6, y + s * 0.16);
    cairo_line_to(cr, x + s * 0.8, y + s * 0.36);
    cairo_move_to(cr, x + s * 0.82, y + s * 0.66);
    cairo_line_to(cr, x + s * 0.2, y + s * 0.66);
    cairo_move_to(cr, x + s * 0.4, y + s * 0.86);
    cairo_line_to(cr, x + s * 0.2, y + s * 0.66);
    Stroke(cr, c, 1.6);
}

void GlyphMegaphone(cairo_t* cr, double x, double y, double s, Rgb c) {
    cairo_move_to(cr, x + s * 0.14, y + s * 0.38);
    cairo_line_to(cr, x + s * 0.36, y + s * 0.38);
    cairo_line_to(cr, x + s * 0.74, y + s * 0.14);
    cairo_line_to(cr, x + s * 0.74, y + s * 0.86);
    cairo_line_to(cr, x + s * 0.36, y + s * 0.62);
    cairo_line_to(cr, x + s * 0.14, y + s * 0.62);
    cairo_close_path(cr);
    Set(cr, c);
    cairo_fill(cr);
    cairo_arc(cr, x + s * 0.76, y + s * 0.5, s * 0.18, -M_PI / 3, M_PI / 3);
    Stroke(cr, c, 1.2);
}

void GlyphChevron(cairo_t* cr, double x, double y, double s, Rgb c) {
    cairo_move_to(cr, x + s * 0.25, y + s * 0.4);
    cairo_line_to(cr, x + s * 0.5, y + s * 0.64);
    cairo_line_to(cr, x + s * 0.75, y + s * 0.4);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    Stroke(cr, c, 1.5);
}

void GlyphCheck(cairo_t* cr, double x, double y, double s, Rgb c) {
    cairo_move_to(cr, x + s * 0.24, y + s * 0.52);
    cairo_line_to(cr, x + s * 0.43, y + s * 0.7);
    cairo_line_to(cr, x + s * 0.76, y + s * 0.32);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    Stroke(cr, c, 2.0);
}

using Glyph = std::function<void(cairo_t*, double, double, double, Rgb)>;

// ---------------------------------------------------------------------------------------------
// Pictures and sheets.

struct Picture {
    std::string set;
    std::string name;
    cairo_surface_t* surface { nullptr };
    int x { 0 }, y { 0 };
};

// An icon file with 32-bit bitmap entries (what every icon reader understands).
bool WriteIco(const fs::path& path, const std::vector<cairo_surface_t*>& sizes) {
    std::string out;
    auto u16 = [&](unsigned v) {
        out.push_back(static_cast<char>(v & 0xFF));
        out.push_back(static_cast<char>(v >> 8));
    };
    auto u32 = [&](unsigned v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    std::vector<std::string> images;
    for (cairo_surface_t* s : sizes) {
        const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
        std::vector<std::uint8_t> rgba = StraightRgba(s);
        std::string image;
        auto i16 = [&](unsigned v) {
            image.push_back(static_cast<char>(v & 0xFF));
            image.push_back(static_cast<char>(v >> 8));
        };
        auto i32 = [&](unsigned v) {
            i16(v & 0xFFFF);
            i16(v >> 16);
        };
        i32(40);
        i32(w);
        i32(h * 2);
        i16(1);
        i16(32);
        i32(0);
        i32(0);
        i32(0);
        i32(0);
        i32(0);
        i32(0);
        for (int y = h - 1; y >= 0; --y) {
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * w + x) * 4];
                image.push_back(static_cast<char>(p[2]));
                image.push_back(static_cast<char>(p[1]));
                image.push_back(static_cast<char>(p[0]));
                image.push_back(static_cast<char>(p[3]));
            }
        }
        const int maskRow = ((w + 31) / 32) * 4;
        image.append(static_cast<std::size_t>(maskRow) * h, '\0');
        images.push_back(image);
    }
    u16(0);
    u16(1);
    u16(static_cast<unsigned>(sizes.size()));
    unsigned offset = 6 + 16 * static_cast<unsigned>(sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const int w = cairo_image_surface_get_width(sizes[i]), h = cairo_image_surface_get_height(sizes[i]);
        out.push_back(static_cast<char>(w >= 256 ? 0 : w));
        out.push_back(static_cast<char>(h >= 256 ? 0 : h));
        out.push_back(0);
        out.push_back(0);
        u16(1);
        u16(32);
        u32(static_cast<unsigned>(images[i].size()));
        u32(offset);
        offset += static_cast<unsigned>(images[i].size());
    }
    for (const auto& image : images) out += image;
    std::ofstream file(path, std::ios::binary);
    file << out;
    return static_cast<bool>(file);
}

std::string XmlEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
    return out;
}

// One PNG sheet and the image-set file that describes it. Pictures are packed in the order they
// are added, on shelves left to right, two pixels apart.
class Sheet {
public:
    Sheet(std::string stem, int width) : m_stem(std::move(stem)), m_width(width) {}
    ~Sheet() {
        for (auto& p : m_pictures) cairo_surface_destroy(p.surface);
    }

    // Draws a picture of w × h with `draw` and adds it as set.name.
    void Add(const std::string& set, const std::string& name, int w, int h,
             const std::function<void(cairo_t*)>& draw) {
        m_pictures.push_back(Picture { set, name, Render(w, h, draw) });
    }
    // Another name for the last picture (the same rectangle).
    void Alias(const std::string& set, const std::string& name) {
        m_aliases.push_back({ m_pictures.size() - 1, set, name });
    }

    void AddColour(const std::string& set, const std::string& name, std::uint32_t rgb) {
        m_colours.push_back({ set, name, rgb });
    }

    bool Write(const fs::path& dir) {
        const int gap = 2;
        int x = 0, y = 0, shelf = 0;
        for (auto& p : m_pictures) {
            const int w = cairo_image_surface_get_width(p.surface),
                      h = cairo_image_surface_get_height(p.surface);
            if (x > 0 && x + w > m_width) {
                x = 0;
                y += shelf + gap;
                shelf = 0;
            }
            p.x = x;
            p.y = y;
            x += w + gap;
            shelf = std::max(shelf, h);
        }
        const int height = y + shelf;
        cairo_surface_t* sheet =
            cairo_image_surface_create(CAIRO_FORMAT_ARGB32, m_width, std::max(height, 1));
        cairo_t* cr = cairo_create(sheet);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        for (const auto& p : m_pictures) {
            cairo_set_source_surface(cr, p.surface, p.x, p.y);
            cairo_rectangle(cr, p.x, p.y, cairo_image_surface_get_width(p.surface),
                            cairo_image_surface_get_height(p.surface));
            cairo_fill(cr);
        }
        cairo_destroy(cr);
        bool ok = WritePng(dir / (m_stem + ".png"), sheet);
        cairo_surface_destroy(sheet);

        // One Imageset element per set name, in order of first appearance; Image elements first,
        // Color elements last (the loader's walks run over all later siblings).
        std::vector<std::string> sets;
        auto note = [&](const std::string& set) {
            if (std::find(sets.begin(), sets.end(), set) == sets.end()) sets.push_back(set);
        };
        for (const auto& p : m_pictures) note(p.set);
        for (const auto& a : m_aliases) note(a.set);
        for (const auto& c : m_colours) note(c.set);

        std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
        xml += "<!-- Written by tools/skingen; change the generator, not this file. -->\n";
        for (const auto& set : sets) {
            xml += "<Imageset Name=\"" + XmlEscape(set) + "\" Imagefile=\"" + m_stem +
                   ".png\" RelativePath=\"1\">\n";
            auto image = [&](const std::string& name, const Picture& p) {
                xml += "  <Image Name=\"" + XmlEscape(name) + "\" XPos=\"" + std::to_string(p.x) +
                       "\" YPos=\"" + std::to_string(p.y) + "\" Width=\"" +
                       std::to_string(cairo_image_surface_get_width(p.surface)) + "\" Height=\"" +
                       std::to_string(cairo_image_surface_get_height(p.surface)) + "\"/>\n";
            };
            for (const auto& p : m_pictures)
                if (p.set == set) image(p.name, p);
            for (const auto& a : m_aliases)
                if (a.set == set) image(a.name, m_pictures[a.index]);
            for (const auto& c : m_colours) {
                if (c.set != set) continue;
                char rgb[8];
                std::snprintf(rgb, sizeof rgb, "%06X", c.rgb & 0xFFFFFF);
                xml += "  <Color Name=\"" + XmlEscape(c.name) + "\" RGB=\"" + rgb + "\"/>\n";
            }
            xml += "</Imageset>\n";
        }
        std::ofstream file(dir / (m_stem + ".xml"), std::ios::binary);
        file << xml;
        return ok && static_cast<bool>(file);
    }

    std::string XmlName() const { return m_stem + ".xml"; }

private:
    struct AliasEntry {
        std::size_t index;
        std::string set, name;
    };
    struct ColourEntry {
        std::string set, name;
        std::uint32_t rgb;
    };
    std::string m_stem;
    int m_width;
    std::vector<Picture> m_pictures;
    std::vector<AliasEntry> m_aliases;
    std::vector<ColourEntry> m_colours;
};

// Splits "set.name" at its first full stop.
std::pair<std::string, std::string> Split(const std::string& full) {
    std::size_t dot = full.find('.');
    return { full.substr(0, dot), full.substr(dot + 1) };
}

void AddPicture(Sheet& sheet, const std::string& full, int w, int h,
                const std::function<void(cairo_t*)>& draw) {
    auto [set, name] = Split(full);
    sheet.Add(set, name, w, h, draw);
}

// A button in its four states.
void AddButton(Sheet& sheet, const std::string& base, int w, int h,
               const std::function<void(cairo_t*, State)>& draw) {
    for (State s : { Normal, Hot, Pushed, Disabled }) {
        AddPicture(sheet, base + STATE_SUFFIX[s], w, h, [&](cairo_t* cr) { draw(cr, s); });
    }
}

// ---------------------------------------------------------------------------------------------
// Window backgrounds.

// The felt of window bodies: a flat colour, since the middle of a nine-grid is stretched.
void Felt(cairo_t* cr, double x, double y, double w, double h) {
    FillRect(cr, x, y, w, h, FELT);
}

// Launcher background, 600 × 200, cut 240/100/240/50. The top bar window covers the top 72
// rows; the pages cover the body; the bottom 30 rows are the status bar.
void DrawLauncherBackground(cairo_t* cr) {
    const int w = 600, h = 200;
    cairo_save(cr);
    RoundRect(cr, 0, 0, w, h, 3);
    cairo_clip(cr);
    FillGradientRect(cr, 0, 0, w, 72, CHROME_TOP, CHROME_BOTTOM);
    HLine(cr, 0, w, 71, GOLD_DIM, 0.8);
    Felt(cr, 0, 72, w, 98);
    FillGradientRect(cr, 0, 170, w, 30, Hex(0x202124), Hex(0x151618));
    HLine(cr, 0, w, 170, GOLD_DIM, 0.9);
    HLine(cr, 0, w, 171, Hex(0x000000), 0.35);
    // A quiet maker's mark in the bottom-left corner.
    Spade(cr, 17, 178, 12, GOLD_DIM);
    Text(cr, "Talvane", Font { SERIF, 12, 700 }, GOLD_DIM, 28, 172, 100, 26, Left);
    cairo_restore(cr);
    cairo_set_line_width(cr, 1);
    RoundRect(cr, 0.5, 0.5, w - 1, h - 1, 3);
    Set(cr, EDGE);
    cairo_stroke(cr);
}

// Top bar, 600 × 71, cut 240/0/240/0. Shown at 70 % opacity over the launcher.
void DrawTopBar(cairo_t* cr) {
    const int w = 600, h = 71;
    FillGradientRect(cr, 0, 0, w, h, Hex(0x303135), Hex(0x1A1B1E));
    HLine(cr, 0, w, 0, HIGHLIGHT, 0.7);
    HLine(cr, 0, w, h - 2, Hex(0x000000), 0.4);
    HLine(cr, 0, w, h - 1, GOLD_DIM);
}

// Game window and pop-up background, 600 × 200, cut 240/100/240/50 (game) or 240/50/240/50
// (pop-ups): title bar 0–35, felt body, bottom bar from row 150.
void DrawMainFrame(cairo_t* cr) {
    const int w = 600, h = 200;
    cairo_save(cr);
    RoundRect(cr, 0, 0, w, h, 3);
    cairo_clip(cr);
    FillGradientRect(cr, 0, 0, w, 34, CHROME_TOP, CHROME_BOTTOM);
    HLine(cr, 0, w, 1, HIGHLIGHT, 0.6);
    HLine(cr, 0, w, 33, GOLD_DIM);
    HLine(cr, 0, w, 34, Hex(0x000000), 0.6);
    Felt(cr, 0, 35, w, 115);
    FillGradientRect(cr, 0, 150, w, 50, Hex(0x222326), Hex(0x161719));
    HLine(cr, 0, w, 150, GOLD_DIM);
    HLine(cr, 0, w, 151, HIGHLIGHT, 0.35);
    // The emblem before the title text (the title label starts at x 33).
    Spade(cr, 18, 9, 16, GOLD);
    cairo_restore(cr);
    cairo_set_line_width(cr, 1);
    RoundRect(cr, 0.5, 0.5, w - 1, h - 1, 3);
    Set(cr, EDGE);
    cairo_stroke(cr);
}

// Login shell, 371 × 520 with per-pixel alpha: the header above the login panel (which covers
// (3, 43)–(367, 514)) and a soft shadow around it.
void DrawLoginShell(cairo_t* cr) {
    const int w = 371, h = 520;
    // Shadow: rings of falling alpha around the panel (2, 0)–(369, 516).
    for (int i = 4; i >= 1; --i) {
        RoundRect(cr, 2 - i * 0.5, 0, 367 + i, 516 + i, 5 + i);
        Set(cr, Hex(0x000000), 0.10);
        cairo_fill(cr);
    }
    cairo_save(cr);
    RoundRect(cr, 2, 0, 367, 516, 5);
    cairo_clip(cr);
    FillGradientRect(cr, 0, 0, w, 43, Hex(0x303135), CHROME_BOTTOM);
    HLine(cr, 0, w, 1, HIGHLIGHT, 0.6);
    HLine(cr, 0, w, 41, GOLD_DIM);
    HLine(cr, 0, w, 42, Hex(0x000000), 0.6);
    Felt(cr, 0, 43, w, h - 43);
    Spade(cr, 24, 11, 20, GOLD);
    Text(cr, "Talvane", Font { SERIF, 19, 700 }, GOLD, 40, 3, 120, 36, Left);
    Text(cr, "微端登录", Font { SANS, 13, 400 }, TEXT, 128, 5, 80, 36, Left);
    cairo_restore(cr);
    cairo_set_line_width(cr, 1);
    RoundRect(cr, 2.5, 0.5, 366, 515, 5);
    Set(cr, EDGE);
    cairo_stroke(cr);
}

// Login panel, 364 × 471: a strip for the window buttons, then felt under the login page.
void DrawLoginPanel(cairo_t* cr) {
    const int w = 364, h = 471;
    FillGradientRect(cr, 0, 0, w, 40, Hex(0x26272A), Hex(0x1B1C1E));
    HLine(cr, 0, w, 39, GOLD_DIM, 0.8);
    Text(cr, "账号登录", Font { SANS, 14, 700 }, Hex(0xC9B48A), 16, 0, 120, 40, Left);
    cairo_pattern_t* felt = cairo_pattern_create_radial(w / 2.0, 200, 30, w / 2.0, 220, 330);
    cairo_pattern_add_color_stop_rgb(felt, 0, 0x15 / 255.0, 0x33 / 255.0, 0x27 / 255.0);
    cairo_pattern_add_color_stop_rgb(felt, 1, FELT_DEEP.r, FELT_DEEP.g, FELT_DEEP.b);
    cairo_set_source(cr, felt);
    cairo_rectangle(cr, 0, 40, w, h - 40);
    cairo_fill(cr);
    cairo_pattern_destroy(felt);
    // A faint spade in the felt while the page loads.
    Spade(cr, w / 2.0, 170, 120, Hex(0x000000), 0.16);
}

// Inner frame around a pop-up's page, 12 × 12, cut 3/3/3/3.
void DrawControlFrame(cairo_t* cr) {
    FillRect(cr, 0, 0, 12, 12, EDGE);
    FillRect(cr, 1, 1, 10, 10, GOLD_DIM);
    FillRect(cr, 2, 2, 8, 8, Hex(0x1E1F22));
    FillRect(cr, 3, 3, 6, 6, FELT);
}

// ---------------------------------------------------------------------------------------------
// Buttons.

// Window buttons (close, maximise, minimise, restore, refresh, capture): 20 or 22 × 20.
void DrawWindowButton(cairo_t* cr, State s, int w, int h, const Glyph& glyph, bool danger) {
    Rgb glyphColour = TEXT;
    if (s == Hot || s == Pushed) {
        RoundRect(cr, 0.5, 0.5, w - 1, h - 1, 3);
        Rgb fill = danger ? (s == Hot ? DANGER : Hex(0x8A241E)) : (s == Hot ? Hex(0x3A3B40) : Hex(0x141416));
        Set(cr, fill, 0.95);
        cairo_fill_preserve(cr);
        Set(cr, danger ? Hex(0xD8584E) : GOLD_DIM, s == Hot ? 0.9 : 0.5);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        glyphColour = danger ? IVORY : (s == Hot ? GOLD_HOT : GOLD);
    } else if (s == Disabled) {
        glyphColour = TEXT_DISABLED;
    }
    const double size = std::min(w, h);
    glyph(cr, (w - size) / 2, (h - size) / 2 + (s == Pushed ? 1 : 0), size, glyphColour);
}

// A small link button on the top bar: glyph and two characters, 62 × 26.
void DrawLinkButton(cairo_t* cr, State s, const std::string& label, const Glyph& glyph) {
    const int w = 62, h = 26;
    Rgb colour = s == Hot ? GOLD_HOT : s == Pushed ? GOLD : s == Disabled ? TEXT_DISABLED : TEXT;
    if (s == Hot || s == Pushed) {
        RoundRect(cr, 0.5, 0.5, w - 1, h - 1, 4);
        Set(cr, s == Hot ? Hex(0xFFFFFF) : Hex(0x000000), s == Hot ? 0.06 : 0.25);
        cairo_fill(cr);
    }
    const double dy = s == Pushed ? 1 : 0;
    glyph(cr, 7, 5 + dy, 16, colour);
    Text(cr, label, Font { SANS, 13, 400 }, colour, 26, dy, 32, h, Left);
}

// A page tab on the top bar, 112 × 43 (from y 28 to the bar's bottom edge).
void DrawPageTab(cairo_t* cr, bool checked, bool hot, bool disabled, const std::string& label,
                 const Glyph& glyph) {
    const int w = 112, h = 43;
    if (checked && !disabled) {
        TabShape(cr, 0.5, 0.5, w - 1, h, 6);
        VerticalGradient(cr, 0, h, hot ? Hex(0x4A3D29) : Hex(0x3C3223), Hex(0x1C1A17));
        cairo_fill_preserve(cr);
        Set(cr, GOLD_DIM);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        // Lit edge on top and a gold bar at the bottom.
        HLine(cr, 8, w - 8, 1, GOLD, 0.8);
        FillRect(cr, 14, h - 3, w - 28, 2, GOLD_HOT);
    } else if (hot && !disabled) {
        TabShape(cr, 0.5, 0.5, w - 1, h, 6);
        Set(cr, Hex(0xFFFFFF), 0.05);
        cairo_fill(cr);
    }
    Rgb colour = disabled ? TEXT_DISABLED : checked ? GOLD_HOT : hot ? Hex(0xD8C7A6) : TEXT;
    const double textWidth = TextWidth(cr, label, Font { SANS, 15, 700 });
    const double left = (w - (18 + 6 + textWidth)) / 2;
    glyph(cr, left, 11, 18, colour);
    Text(cr, label, Font { SANS, 15, 700 }, colour, left + 24, 0, textWidth + 2, 40, Left);
}

// The account name button: the name is drawn by the control; the picture gives the hover
// ground and the drop-down chevron. 150 × 24.
void DrawNameButton(cairo_t* cr, State s) {
    const int w = 150, h = 24;
    if (s == Hot || s == Pushed) {
        RoundRect(cr, 0.5, 0.5, w - 1, h - 1, 4);
        Set(cr, s == Hot ? Hex(0xFFFFFF) : Hex(0x000000), s == Hot ? 0.07 : 0.3);
        cairo_fill_preserve(cr);
        Set(cr, GOLD_DIM, 0.7);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
    Rgb colour = s == Disabled ? TEXT_DISABLED : (s == Normal ? Hex(0x7A7A7A) : GOLD_HOT);
    GlyphChevron(cr, w - 20, (h - 16) / 2.0 + (s == Pushed ? 1 : 0), 16, colour);
}

// Fills the current path (a gold button's outline, h pixels high) with the gold button's ground
// in state s, keeping the path for the outline's stroke.
void GoldButtonFill(cairo_t* cr, State s, int h) {
    Rgb top = s == Hot        ? Hex(0xF8CF87)
              : s == Pushed   ? Hex(0xB9853C)
              : s == Disabled ? Hex(0x55504A)
                              : Hex(0xE6B168);
    Rgb bottom = s == Hot        ? Hex(0xD39B4B)
                 : s == Pushed   ? Hex(0x8E5F25)
                 : s == Disabled ? Hex(0x3A3733)
                                 : Hex(0xB47A34);
    VerticalGradient(cr, 0, h, top, bottom);
    cairo_fill_preserve(cr);
}

// Bottom-bar buttons of the game window: a pill with a glyph and a label. The recharge button is
// the gold one.
void DrawBarButton(cairo_t* cr, State s, int w, const std::string& label, const Glyph& glyph, bool primary) {
    const int h = 26;
    const double dy = s == Pushed ? 1 : 0;
    RoundRect(cr, 0.5, 0.5, w - 1, h - 1, 13);
    Rgb text;
    if (primary) {
        GoldButtonFill(cr, s, h);
        Set(cr, s == Disabled ? Hex(0x2A2A2A) : Hex(0x5E3F16));
        text = s == Disabled ? Hex(0x7C766C) : Hex(0x2A1A08);
    } else {
        Rgb top = s == Hot ? Hex(0x38393D) : s == Pushed ? Hex(0x141416) : Hex(0x2A2B2E);
        Rgb bottom = s == Hot ? Hex(0x242528) : s == Pushed ? Hex(0x1E1F21) : Hex(0x1C1D20);
        VerticalGradient(cr, 0, h, top, bottom);
        cairo_fill_preserve(cr);
        Set(cr, s == Hot ? GOLD : GOLD_DIM, s == Disabled ? 0.4 : 1.0);
        text = s == Hot ? GOLD_HOT : s == Pushed ? GOLD : s == Disabled ? TEXT_DISABLED : Hex(0xB8B8B8);
    }
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    if (primary && s != Disabled) HLine(cr, 10, w - 10, 1, Hex(0xFFF3D6), s == Pushed ? 0.15 : 0.45);
    const Font font { SANS, 13, 700 };
    const double textWidth = TextWidth(cr, label, font);
    const double left = (w - (16 + 5 + textWidth)) / 2;
    glyph(cr, left, 5 + dy, 16, text);
    Text(cr, label, font, text, left + 21, dy, textWidth + 2, h, Left);
}

// The "screenshot saved" banner, 236 × 20.
void DrawCaptureBanner(cairo_t* cr, State s) {
    const int w = 236, h = 20;
    RoundRect(cr, 0.5, 0.5, w - 1, h - 1, 10);
    Set(cr, s == Pushed ? Hex(0x241E15) : Hex(0x3A3023), s == Disabled ? 0.5 : 0.95);
    cairo_fill_preserve(cr);
    Set(cr, s == Hot ? GOLD : GOLD_DIM);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    Rgb colour = s == Hot ? GOLD_HOT : s == Disabled ? TEXT_DISABLED : Hex(0xE8D5A8);
    GlyphFolder(cr, 8, 2 + (s == Pushed ? 1 : 0), 16, colour);
    Text(cr, "截图已保存，点击打开文件夹", Font { SANS, 12, 400 }, colour, 28, s == Pushed ? 1 : 0, 200, h,
         Left);
}

// Dialog buttons, 100 × 32: the confirming one is gold, the other dark.
void DrawDialogButton(cairo_t* cr, State s, const std::string& label, bool primary) {
    const int w = 100, h = 32;
    const double dy = s == Pushed ? 1 : 0;
    RoundRect(cr, 0.5, 0.5, w - 1, h - 1, 5);
    Rgb text;
    if (primary) {
        GoldButtonFill(cr, s, h);
        Set(cr, Hex(0x5E3F16));
        text = s == Disabled ? Hex(0x7C766C) : Hex(0x2A1A08);
    } else {
        VerticalGradient(cr, 0, h,
                         s == Hot      ? Hex(0x3A3B3F)
                         : s == Pushed ? Hex(0x151517)
                                       : Hex(0x2C2D30),
                         s == Pushed ? Hex(0x202124) : Hex(0x1C1D20));
        cairo_fill_preserve(cr);
        Set(cr, s == Hot ? GOLD : GOLD_DIM);
        text = s == Hot ? GOLD_HOT : s == Disabled ? TEXT_DISABLED : Hex(0xC8C8C8);
    }
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    if (primary && s != Disabled) HLine(cr, 6, w - 6, 1, Hex(0xFFF3D6), 0.4);
    Text(cr, label, Font { SANS, 15, 700 }, text, 0, dy, w, h);
}

// The hint overlay's button, 110 × 36: gold outline on the dark overlay.
void DrawHintButton(cairo_t* cr, State s) {
    const int w = 110, h = 36;
    RoundRect(cr, 1, 1, w - 2, h - 2, 18);
    Set(cr, s == Hot ? Hex(0x4A3D29) : s == Pushed ? Hex(0x1C1812) : Hex(0x2A2419), 0.95);
    cairo_fill_preserve(cr);
    Set(cr, s == Disabled ? TEXT_DISABLED : s == Hot ? GOLD_HOT : GOLD);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    Rgb text = s == Disabled ? TEXT_DISABLED : s == Hot ? GOLD_HOT : IVORY;
    Text(cr, "我知道了", Font { SANS, 15, 700 }, text, 0, s == Pushed ? 1 : 0, w, h);
}

// ---------------------------------------------------------------------------------------------
// Dialog pictures.

// Confirmation dialog, 322 × 209 (its window size; the window rounds its corners by 4 × 4).
void DrawTipsBackground(cairo_t* cr) {
    const int w = 322, h = 209;
    FillGradientRect(cr, 0, 0, w, 32, Hex(0x303135), CHROME_BOTTOM);
    HLine(cr, 0, w, 1, HIGHLIGHT, 0.6);
    HLine(cr, 0, w, 31, GOLD_DIM);
    Spade(cr, 20, 9, 14, GOLD);
    Text(cr, "温馨提示", Font { SANS, 14, 700 }, GOLD, 34, 0, 120, 32, Left);
    cairo_pattern_t* felt = cairo_pattern_create_radial(w / 2.0, 90, 20, w / 2.0, 110, 220);
    cairo_pattern_add_color_stop_rgb(felt, 0, 0x15 / 255.0, 0x33 / 255.0, 0x27 / 255.0);
    cairo_pattern_add_color_stop_rgb(felt, 1, FELT_DEEP.r, FELT_DEEP.g, FELT_DEEP.b);
    cairo_set_source(cr, felt);
    cairo_rectangle(cr, 0, 32, w, h - 32);
    cairo_fill(cr);
    cairo_pattern_destroy(felt);
    // A gold question mark in a ring, left of the message (the message sits at (100, 70)).
    cairo_arc(cr, 66, 92, 19, 0, 2 * M_PI);
    Set(cr, GOLD, 0.15);
    cairo_fill_preserve(cr);
    Set(cr, GOLD);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
    Text(cr, "?", Font { SERIF, 24, 700 }, GOLD_HOT, 47, 73, 38, 38);
    HLine(cr, 16, w - 16, 150, GOLD_DIM, 0.5);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, 0.5, 0.5, w - 1, h - 1);
    Set(cr, EDGE);
    cairo_stroke(cr);
}

// A question in two lines, 190 × 45, drawn over the dialog's felt.
void DrawQuestion(cairo_t* cr, const std::string& question, const std::string& detail) {
    Text(cr, question, Font { SANS, 16, 700 }, IVORY, 0, 0, 190, 26, Left);
    Text(cr, detail, Font { SANS, 12, 400 }, IVORY_DIM, 0, 26, 190, 18, Left);
}

// The hint overlay's ground: solid; the window shows it at 180/255 over the page.
void DrawOverlayGround(cairo_t* cr) {
    FillRect(cr, 0, 0, 8, 8, Hex(0x050607));
}

// A dashed gold arrow along a curve, head at the end.
void CurvedArrow(cairo_t* cr, double x0, double y0, double c1x, double c1y, double c2x, double c2y, double x1,
                 double y1) {
    double dashes[] = { 6, 4 };
    cairo_save(cr);
    cairo_set_dash(cr, dashes, 2, 0);
    cairo_move_to(cr, x0, y0);
    cairo_curve_to(cr, c1x, c1y, c2x, c2y, x1, y1);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    Stroke(cr, GOLD_HOT, 2.5);
    cairo_restore(cr);
    double angle = std::atan2(y1 - c2y, x1 - c2x);
    cairo_move_to(cr, x1 + 6 * std::cos(angle), y1 + 6 * std::sin(angle));
    cairo_line_to(cr, x1 + 9 * std::cos(angle + 2.5), y1 + 9 * std::sin(angle + 2.5));
    cairo_line_to(cr, x1 + 9 * std::cos(angle - 2.5), y1 + 9 * std::sin(angle - 2.5));
    cairo_close_path(cr);
    Set(cr, GOLD_HOT);
    cairo_fill(cr);
}

// Step 1 of the hint, 211 × 149: points up at the page tabs on the top bar.
void DrawHintStep1(cairo_t* cr) {
    CurvedArrow(cr, 70, 70, 60, 45, 100, 30, 140, 12);
    Text(cr, "第一步", Font { SANS, 13, 700 }, GOLD, 8, 76, 200, 20, Left);
    Text(cr, "点击上方标签", Font { SANS, 16, 700 }, IVORY, 8, 96, 200, 24, Left);
    const Font body { SANS, 14, 400 };
    Text(cr, "在", body, IVORY, 8, 120, 20, 24, Left);
    double x = 8 + TextWidth(cr, "在", body);
    Text(cr, "游戏大厅", body, GOLD_HOT, x, 120, 80, 24, Left);
    x += TextWidth(cr, "游戏大厅", body);
    Text(cr, "与", body, IVORY, x, 120, 20, 24, Left);
    x += TextWidth(cr, "与", body);
    Text(cr, "大神直播", body, GOLD_HOT, x, 120, 80, 24, Left);
    x += TextWidth(cr, "大神直播", body);
    Text(cr, "间切换", body, IVORY, x, 120, 60, 24, Left);
}

// Step 2 of the hint, 208 × 122, with the arrow beside it.
void DrawHintStep2(cairo_t* cr) {
    Text(cr, "第二步", Font { SANS, 13, 700 }, GOLD, 4, 8, 200, 20, Left);
    Text(cr, "大神直播", Font { SANS, 20, 700 }, GOLD_HOT, 4, 30, 200, 30, Left);
    Text(cr, "观看高手实况对局", Font { SANS, 14, 400 }, IVORY, 4, 64, 204, 22, Left);
    Text(cr, "边看边学，轻松上手", Font { SANS, 14, 400 }, IVORY, 4, 88, 204, 22, Left);
}

void DrawHintArrow(cairo_t* cr) {
    CurvedArrow(cr, 6, 36, 60, 40, 66, 110, 50, 176);
}

// ---------------------------------------------------------------------------------------------
// The update card.

void DrawProgressCard(cairo_t* cr) {
    const int w = 515, h = 110;
    FillGradientRect(cr, 0, 0, w, h, CARD_TOP, CARD_BOTTOM);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, 0.5, 0.5, w - 1, h - 1);
    Set(cr, CARD_EDGE);
    cairo_stroke(cr);
    cairo_rectangle(cr, 3.5, 3.5, w - 7, h - 7);
    Set(cr, CARD_EDGE, 0.45);
    cairo_stroke(cr);
    // Corner pips, as on a playing card.
    Spade(cr, w - 14, 8, 10, CARD_EDGE, 0.7);
    cairo_save(cr);
    cairo_translate(cr, 14, h - 8);
    cairo_rotate(cr, M_PI);
    Spade(cr, 0, 0, 10, CARD_EDGE, 0.7);
    cairo_restore(cr);
}

// The bar's trough (y 7–24, inside a 31-pixel band); `part` 0 left end, 1 middle, 2 right end.
void DrawTrough(cairo_t* cr, int part, int w) {
    const double top = 6.5, height = 19;
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, w, 31);
    cairo_clip(cr);
    const double x = part == 0 ? 6.5 : part == 1 ? -10 : -10;
    const double width = part == 1 ? w + 20 : w + 4;
    RoundRect(cr, x, top, part == 2 ? w - 6.5 - x : width, height, 4);
    VerticalGradient(cr, top, top + height, Hex(0xC9BA96), Hex(0xE2D6B9));
    cairo_fill_preserve(cr);
    Set(cr, Hex(0x9C8660));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    HLine(cr, part == 0 ? 9 : 0, part == 2 ? w - 9 : w, 8, Hex(0x8E7A56), 0.35);
    cairo_restore(cr);
}

void DrawBar(cairo_t* cr) {
    const int w = 16, h = 17;
    cairo_pattern_t* gold = cairo_pattern_create_linear(0, 0, 0, h);
    cairo_pattern_add_color_stop_rgb(gold, 0, 0xF9 / 255.0, 0xD8 / 255.0, 0x98 / 255.0);
    cairo_pattern_add_color_stop_rgb(gold, 0.45, 0xE0 / 255.0, 0xA8 / 255.0, 0x55 / 255.0);
    cairo_pattern_add_color_stop_rgb(gold, 1, 0xB5 / 255.0, 0x7C / 255.0, 0x2E / 255.0);
    cairo_set_source(cr, gold);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_fill(cr);
    cairo_pattern_destroy(gold);
    HLine(cr, 0, w, 1, Hex(0xFFF6DE), 0.6);
}

void DrawSplit(cairo_t* cr) {
    FillRect(cr, 0, 0, 1, 17, Hex(0x8E7A56), 0.8);
    FillRect(cr, 1, 0, 1, 17, Hex(0xFFFAEE), 0.8);
}

// A step of the update: pending (0), in progress (1), done (2). 100 × 28.
void DrawStep(cairo_t* cr, int number, const std::string& label, int phase) {
    const double cx = 13, cy = 14, r = 11;
    if (phase == 0) {
        cairo_arc(cr, cx, cy, r - 0.5, 0, 2 * M_PI);
        Set(cr, Hex(0xB7AB92));
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
        Text(cr, std::to_string(number), Font { SANS, 13, 700 }, Hex(0xA89C84), cx - r, 0, 2 * r, 28);
        Text(cr, label, Font { SANS, 14, 400 }, Hex(0xA59C88), 30, 0, 70, 28, Left);
        return;
    }
    if (phase == 1) {
        cairo_arc(cr, cx, cy, r + 1.5, 0, 2 * M_PI);
        Set(cr, GOLD, 0.3);
        cairo_fill(cr);
    }
    cairo_arc(cr, cx, cy, r - 1, 0, 2 * M_PI);
    if (phase == 1)
        VerticalGradient(cr, cy - r, cy + r, Hex(0xF0C27A), Hex(0xC48A3A));
    else
        Set(cr, Hex(0x7A5A2C));
    cairo_fill(cr);
    if (phase == 1)
        Text(cr, std::to_string(number), Font { SANS, 13, 700 }, Hex(0xFFF8EA), cx - r, 0, 2 * r, 28);
    else
        GlyphCheck(cr, cx - 9, cy - 9, 18, Hex(0xFFF8EA));
    Text(cr, label, Font { SANS, 14, 700 }, phase == 1 ? Hex(0x6B4A1C) : CARD_INK, 30, 0, 70, 28, Left);
}

// ---------------------------------------------------------------------------------------------
// Menu.

// Menu ground, 60 × 40, cut 40/10/0/10: the icon gutter on the left.
void DrawMenuGround(cairo_t* cr) {
    FillRect(cr, 0, 0, 40, 40, Hex(0x141517));
    FillRect(cr, 40, 0, 20, 40, Hex(0x1D1E21));
    FillRect(cr, 39, 0, 1, 40, Hex(0x2B2C2F));
    FillRect(cr, 0, 0, 60, 1, Hex(0x4A3F2C));
    FillRect(cr, 0, 39, 60, 1, Hex(0x4A3F2C));
    FillRect(cr, 0, 0, 1, 40, Hex(0x4A3F2C));
}

// ---------------------------------------------------------------------------------------------
// Icons.

void DrawAppIcon(cairo_t* cr, double s) {
    RoundRect(cr, s * 0.04, s * 0.04, s * 0.92, s * 0.92, s * 0.2);
    cairo_pattern_t* felt = cairo_pattern_create_radial(s / 2, s * 0.4, s * 0.05, s / 2, s / 2, s * 0.62);
    cairo_pattern_add_color_stop_rgb(felt, 0, 0x1C / 255.0, 0x45 / 255.0, 0x34 / 255.0);
    cairo_pattern_add_color_stop_rgb(felt, 1, FELT_DEEP.r, FELT_DEEP.g, FELT_DEEP.b);
    cairo_set_source(cr, felt);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(felt);
    Set(cr, GOLD);
    cairo_set_line_width(cr, std::max(1.0, s * 0.035));
    cairo_stroke(cr);
    Spade(cr, s / 2, s * 0.2, s * 0.6, GOLD_HOT);
}

void DrawTaskIcon(cairo_t* cr, double s, const Glyph& glyph) {
    cairo_arc(cr, s / 2, s / 2, s * 0.46, 0, 2 * M_PI);
    Set(cr, Hex(0x1C1D20));
    cairo_fill_preserve(cr);
    Set(cr, GOLD);
    cairo_set_line_width(cr, std::max(1.0, s * 0.05));
    cairo_stroke(cr);
    cairo_save(cr);
    cairo_translate(cr, s * 0.2, s * 0.2);
    cairo_scale(cr, s * 0.6 / 16.0, s * 0.6 / 16.0);
    glyph(cr, 0, 0, 16, GOLD_HOT);
    cairo_restore(cr);
}

bool WriteIcons(const fs::path& dir) {
    bool ok = true;
    for (int size : { 16, 32, 48, 128, 256 }) {
        cairo_surface_t* s = Render(size, size, [&](cairo_t* cr) { DrawAppIcon(cr, size); });
        ok &= WritePng(
            dir / (size == 256 ? std::string("app_icon.png") : "app_icon_" + std::to_string(size) + ".png"),
            s);
        cairo_surface_destroy(s);
    }
    struct Task {
        const char* stem;
        Glyph glyph;
    };
    for (const Task& task : { Task { "kx", GlyphPlay }, Task { "switch", GlyphSwap } }) {
        std::vector<cairo_surface_t*> sizes;
        for (int size : { 16, 32, 48 })
            sizes.push_back(Render(size, size, [&](cairo_t* cr) { DrawTaskIcon(cr, size, task.glyph); }));
        ok &= WriteIco(dir / (std::string(task.stem) + ".ico"), sizes);
        ok &= WritePng(dir / (std::string(task.stem) + ".png"), sizes.back());
        for (auto* s : sizes) cairo_surface_destroy(s);
    }
    return ok;
}

// ---------------------------------------------------------------------------------------------
// The skin.

bool Generate(const fs::path& dir) {
    Sheet frames("frames", 1024);
    AddPicture(frames, skin::BNFRAME_BG, 600, 200, DrawLauncherBackground);
    AddPicture(frames, skin::MAINFRAME_BKG, 600, 200, DrawMainFrame);
    AddPicture(frames, skin::FRAME_TOP_BKG, 600, 71, DrawTopBar);
    AddPicture(frames, skin::LOGIN_BG_BKG, 371, 520, DrawLoginShell);
    AddPicture(frames, skin::LOGIN_BG_TOPBKG, 364, 471, DrawLoginPanel);
    AddPicture(frames, skin::CHATPANEL_CTRLFRAME, 12, 12, DrawControlFrame);

    Sheet buttons("buttons", 512);
    struct WindowButton {
        const char* name;
        int width;
        Glyph glyph;
        bool danger;
    };
    for (const WindowButton& b : { WindowButton { skin::LOGIN_ICON_BTNCLOSE, 20, GlyphClose, true },
                                   WindowButton { skin::LOGIN_ICON_BTNMAX, 20, GlyphMaximise, false },
                                   WindowButton { skin::LOGIN_ICON_BTNMIN, 20, GlyphMinimise, false },
                                   WindowButton { skin::LOGIN_ICON_BTNRESTORE, 20, GlyphRestore, false },
                                   WindowButton { skin::TOOLBAR_BTNREFRESH, 22, GlyphRefresh, false },
                                   WindowButton { skin::TOOLBAR_BTNCAPTURE, 22, GlyphCamera, false } }) {
        AddButton(buttons, b.name, b.width, 20,
                  [&](cairo_t* cr, State s) { DrawWindowButton(cr, s, b.width, 20, b.glyph, b.danger); });
    }
    struct LinkButton {
        const char* name;
        const char* label;
        Glyph glyph;
    };
    for (const LinkButton& b : { LinkButton { skin::BNFRAME_BTN_NEWS, "新闻", GlyphNews },
                                 LinkButton { skin::BNFRAME_BTN_FORUM, "论坛", GlyphBubble },
                                 LinkButton { skin::BNFRAME_BTN_CUSTOMS, "客服", GlyphHeadset } }) {
        AddButton(buttons, b.name, 62, 26,
                  [&](cairo_t* cr, State s) { DrawLinkButton(cr, s, b.label, b.glyph); });
    }
    struct Tab {
        const char* name;
        const char* label;
        Glyph glyph;
    };
    for (const Tab& t : { Tab { skin::BNFRAME_BTN_GAME, "游戏大厅",
                                [](cairo_t*cr, double x, double y, double s, Rgb c) {
                                    Spade(cr, x + s / 2, y + 1, s - 2, c);
                                } },
                          Tab { skin::BNFRAME_BTN_KX, "大神直播", GlyphPlay } }) {
        auto [set, name] = Split(t.name);
        auto tab = [&](const char* suffix, bool checked, bool hot, bool disabled) {
            buttons.Add(set, name + suffix, 112, 43,
                        [&](cairo_t* cr) { DrawPageTab(cr, checked, hot, disabled, t.label, t.glyph); });
        };
        tab(skin::STATE_NORMAL_CHECKED, true, false, false);
        tab(skin::STATE_HOT_CHECKED, true, true, false);
        tab(skin::STATE_NORMAL_UNCHECKED, false, false, false);
        buttons.Alias(set, name + skin::STATE_NORMAL);
        tab(skin::STATE_HOT_UNCHECKED, false, true, false);
        buttons.Alias(set, name + skin::STATE_HOT);
        buttons.Alias(set, name + skin::STATE_PUSHED);
        tab(skin::STATE_DISABLE, false, false, true);
    }
    AddButton(buttons, skin::NAME_BTNNAME, 150, 24, DrawNameButton);
    AddButton(buttons, skin::TOOLBAR_BTNCAPTUREIMG, 236, 20, DrawCaptureBanner);
    struct BarButton {
        const char* name;
        const char* label;
        int width;
        Glyph glyph;
        bool primary;
    };
    for (const BarButton& b :
         { BarButton { skin::TOOLBAR_BTNCHARGE, "充值", 84, GlyphCoin, true },
           BarButton { skin::TOOLBAR_BTNFORUM, "论坛", 84, GlyphBubble, false },
           BarButton { skin::TOOLBAR_BTNCUSTOM, "反馈", 84, GlyphPencil, false },
           BarButton { skin::TOOLBAR_BTNCLEARCACHE, "清除缓存", 112, GlyphBroom, false } }) {
        AddButton(buttons, b.name, b.width + 6, 26, [&](cairo_t* cr, State s) {
            // Three pixels of air on each side keep neighbouring buttons apart.
            cairo_translate(cr, 3, 0);
            DrawBarButton(cr, s, b.width, b.label, b.glyph, b.primary);
        });
    }
    AddButton(buttons, skin::TIPS_BTN_OK, 100, 32,
              [](cairo_t* cr, State s) { DrawDialogButton(cr, s, "确定", true); });
    AddButton(buttons, skin::TIPS_BTN_CANCEL, 100, 32,
              [](cairo_t* cr, State s) { DrawDialogButton(cr, s, "取消", false); });
    AddButton(buttons, skin::KX_SHADOW_BTNCLOSE, 110, 36, DrawHintButton);

    Sheet dialogs("dialogs", 1024);
    AddPicture(dialogs, skin::TIPS_BKG, 322, 209, DrawTipsBackground);
    AddPicture(dialogs, skin::TIPS_MSG_EXIT, 190, 45,
               [](cairo_t* cr) { DrawQuestion(cr, "确定要退出游戏吗？", "退出后将关闭游戏窗口"); });
    AddPicture(dialogs, skin::TIPS_MSG_SWITCH, 190, 45,
               [](cairo_t* cr) { DrawQuestion(cr, "确定要切换账号吗？", "切换后需要重新登录"); });
    AddPicture(dialogs, skin::KX_SHADOW_TXT2, 211, 149, DrawHintStep1);
    AddPicture(dialogs, skin::KX_SHADOW_TXT, 208, 122, DrawHintStep2);
    AddPicture(dialogs, skin::KX_SHADOW_ARROW, 84, 187, DrawHintArrow);
    AddPicture(dialogs, skin::KX_SHADOW_BKG, 8, 8, DrawOverlayGround);

    Sheet progress("progress", 1024);
    AddPicture(progress, skin::PROGRESS_BKG, 515, 110, DrawProgressCard);
    AddPicture(progress, skin::PROGRESS_BAR_BG_LEFT, 20, 31, [](cairo_t* cr) { DrawTrough(cr, 0, 20); });
    AddPicture(progress, skin::PROGRESS_BAR_BG_MID, 8, 31, [](cairo_t* cr) { DrawTrough(cr, 1, 8); });
    AddPicture(progress, skin::PROGRESS_BAR_BG_RIGHT, 20, 31, [](cairo_t* cr) { DrawTrough(cr, 2, 20); });
    AddPicture(progress, skin::PROGRESS_BAR, 16, 17, DrawBar);
    AddPicture(progress, skin::PROGRESS_SPLIT, 2, 17, DrawSplit);
    struct Step {
        int number;
        const char* label;
        const char* pending;
        const char* active;
        const char* done;
    };
    for (const Step& s :
         { Step { 1, "检查更新", skin::PROGRESS_STATUS_1, nullptr, skin::PROGRESS_STATUS_1_2 },
           Step { 2, "更新资源", skin::PROGRESS_STATUS_2, skin::PROGRESS_STATUS_2_1,
                  skin::PROGRESS_STATUS_2_2 },
           Step { 3, "进入游戏", skin::PROGRESS_STATUS_3, skin::PROGRESS_STATUS_3_1,
                  skin::PROGRESS_STATUS_3_2 } }) {
        AddPicture(progress, s.pending, 100, 28, [&](cairo_t* cr) { DrawStep(cr, s.number, s.label, 0); });
        if (s.active)
            AddPicture(progress, s.active, 100, 28, [&](cairo_t* cr) { DrawStep(cr, s.number, s.label, 1); });
        AddPicture(progress, s.done, 100, 28, [&](cairo_t* cr) { DrawStep(cr, s.number, s.label, 2); });
    }

    Sheet menu("menu", 256);
    AddPicture(menu, skin::MENU_BKG, 60, 40, DrawMenuGround);
    AddPicture(menu, skin::MENU_ICON, 16, 16, [](cairo_t* cr) { GlyphSwap(cr, 0, 0, 16, GOLD); });
    AddPicture(menu, skin::PUSHMSG_ICON, 18, 16, [](cairo_t* cr) { GlyphMegaphone(cr, 1, 0, 16, GOLD_HOT); });
    // The theme's colours, for tools and anyone reading the skin.
    menu.AddColour("theme", "text", 0x969696);
    menu.AddColour("theme", "hottext", 0xF6C278);
    menu.AddColour("theme", "gold", 0xD9A55A);
    menu.AddColour("theme", "felt", 0x10261D);
    menu.AddColour("theme", "chrome", 0x2D2E31);

    std::error_code error;
    fs::create_directories(dir, error);
    bool ok = true;
    std::vector<Sheet*> sheets { &frames, &buttons, &dialogs, &progress, &menu };
    std::string schema = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    schema += "<!-- Written by tools/skingen; change the generator, not this file. -->\n";
    schema += "<GTSchema Name=\"default\" RelativePath=\"1\">\n";
    for (Sheet* sheet : sheets) {
        ok &= sheet->Write(dir);
        schema += "  <Imageset Filename=\"" + sheet->XmlName() + "\"/>\n";
    }
    schema += "</GTSchema>\n";
    ok &= WriteIcons(dir);
    std::ofstream file(dir / "index.schema", std::ios::binary);
    file << schema;
    return ok && static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: skingen OUTDIR\n");
        return 2;
    }
    if (!Generate(argv[1])) {
        std::fprintf(stderr, "skingen: could not write the skin into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
