// uninstall_skingen: draws the uninstaller's pictures and writes them, with its layout documents,
// into one C++ source that the uninstaller compiles in (its resources travel with the program,
// also to the temporary directory it relocates to).
//
//   uninstall_skingen --out FILE.cpp --xml NUMBER=LAYOUT.xml ... [--png-dir DIR]
//
// FILE.cpp defines UninstallResourceTable() (uninstall/UninstallResources.h): every layout as an
// "XML" resource and every picture as a "PNG" resource, by the numbers of that header. With
// --png-dir the pictures are also written there as files, to look at. A layout that refers to a
// picture number this tool does not draw fails the run, so the build fails.
//
// The look is the client's (tools/skingen.cpp): a dark card table, deep green felt, charcoal
// chrome with gold hairlines, warm gold accents. The farewell card in the left panel is an ivory
// playing card whose face (the animation) weeps.
//
// Output is reproducible: no clock, no randomness. FILE.cpp is rewritten only when it changes.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tools/SkinDrawing.h"
#include "uninstall/UninstallResources.h"

namespace {

namespace fs = std::filesystem;
namespace res = uninstall_res;
using namespace skin_drawing;

// ---------------------------------------------------------------------------------------------
// Colours beyond the client's palette (tools/SkinPalette.h).

constexpr Rgb FELT_LIGHT = Hex(0x163A2B);
constexpr Rgb BERRY = Hex(0xC0392B);
constexpr Rgb BERRY_DEEP = Hex(0x8E2A20);
constexpr Rgb TEAR = Hex(0x7DB9E8);

// ---------------------------------------------------------------------------------------------
// Shapes beyond the shared ones (tools/SkinDrawing.h).

// A radial pool of light: `inner` at the centre fading to `outer` at `radius`.
void Spotlight(cairo_t* cr, double x, double y, double w, double h, double cx, double cy, double radius,
               Rgb inner, Rgb outer) {
    cairo_pattern_t* p = cairo_pattern_create_radial(cx, cy, 0, cx, cy, radius);
    cairo_pattern_add_color_stop_rgb(p, 0, inner.r, inner.g, inner.b);
    cairo_pattern_add_color_stop_rgb(p, 1, outer.r, outer.g, outer.b);
    cairo_set_source(cr, p);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
}

// A heart of height `size` with its top notch at (cx, top).
void Heart(cairo_t* cr, double cx, double top, double size, Rgb c, double alpha = 1.0) {
    const double w = size * 0.55;
    cairo_move_to(cr, cx, top + size * 0.28);
    cairo_curve_to(cr, cx, top, cx - w, top - size * 0.05, cx - w, top + size * 0.32);
    cairo_curve_to(cr, cx - w, top + size * 0.6, cx - w * 0.3, top + size * 0.78, cx, top + size);
    cairo_curve_to(cr, cx + w * 0.3, top + size * 0.78, cx + w, top + size * 0.6, cx + w, top + size * 0.32);
    cairo_curve_to(cr, cx + w, top - size * 0.05, cx, top, cx, top + size * 0.28);
    cairo_close_path(cr);
    Set(cr, c, alpha);
    cairo_fill(cr);
}

// A small playing card: ivory, gold edge, a pip in the middle.
void SmallCard(cairo_t* cr, double x, double y, double w, double h, double angle, bool faceUp) {
    cairo_save(cr);
    cairo_translate(cr, x + w / 2, y + h / 2);
    cairo_rotate(cr, angle);
    RoundRect(cr, -w / 2 + 1.5, -h / 2 + 2.5, w, h, 4);
    Set(cr, Hex(0x000000), 0.35);
    cairo_fill(cr);
    RoundRect(cr, -w / 2, -h / 2, w, h, 4);
    if (faceUp) {
        VerticalGradient(cr, -h / 2, h / 2, CARD_TOP, CARD_BOTTOM);
    } else {
        VerticalGradient(cr, -h / 2, h / 2, Hex(0x7A2A22), Hex(0x4E1A15));
    }
    cairo_fill_preserve(cr);
    Set(cr, CARD_EDGE);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    if (faceUp) {
        Heart(cr, 0, -h * 0.16, h * 0.32, BERRY);
    } else {
        RoundRect(cr, -w / 2 + 3.5, -h / 2 + 3.5, w - 7, h - 7, 2);
        Set(cr, GOLD, 0.6);
        cairo_stroke(cr);
        Spade(cr, 0, -h * 0.14, h * 0.28, GOLD, 0.8);
    }
    cairo_restore(cr);
}

// ---------------------------------------------------------------------------------------------
// Pictures.

// The window's ground, 537 × 402, drawn 4 pixels in from the left edge: felt under the survey,
// a charcoal footer (from row 351) for the buttons, and the maker's mark in the caption band.
void DrawBackground(cairo_t* cr) {
    const int w = 537, h = 402, footer = 351;
    Spotlight(cr, 0, 0, w, footer, 410, 170, 330, FELT_LIGHT, FELT_DEEP);
    // The caption band darkens a little towards the top edge.
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, 0, 0, 64);
    cairo_pattern_add_color_stop_rgba(shade, 0, 0, 0, 0, 0.35);
    cairo_pattern_add_color_stop_rgba(shade, 1, 0, 0, 0, 0.0);
    cairo_set_source(cr, shade);
    cairo_rectangle(cr, 0, 0, w, 64);
    cairo_fill(cr);
    cairo_pattern_destroy(shade);
    HLine(cr, 0, w, 0, GOLD_DIM, 0.9);
    // Maker's mark, top right.
    Spade(cr, 430, 16, 16, GOLD);
    Text(cr, "Talvane", Font { SERIF, 15, 700 }, GOLD, 442, 12, 80, 24, Left);
    // Footer.
    cairo_rectangle(cr, 0, footer, w, h - footer);
    VerticalGradient(cr, footer, h, CHROME_TOP, CHROME_BOTTOM);
    cairo_fill(cr);
    HLine(cr, 0, w, footer, GOLD_DIM);
    HLine(cr, 0, w, footer + 1, HIGHLIGHT, 0.35);
    HLine(cr, 0, w, h - 1, EDGE);
    // Right edge.
    FillRect(cr, w - 1, 0, 1, h, EDGE);
}

// The left panel, 285 × 351: the farewell card under a spotlight. The card's face (from
// (97, 123), 100 × 56 in this picture) is left plain for the weeping animation.
void DrawLeftPicture(cairo_t* cr) {
    const int w = 285, h = 351;
    Spotlight(cr, 0, 0, w, h, 147, 160, 210, Hex(0x1B4534), FELT_DEEP);
    // A scatter of pips in the felt.
    Spade(cr, 36, 40, 22, Hex(0x000000), 0.18);
    Heart(cr, 246, 62, 20, Hex(0x000000), 0.18);
    Spade(cr, 250, 290, 26, Hex(0x000000), 0.16);
    Heart(cr, 40, 282, 18, Hex(0x000000), 0.16);
    // Two cards fanned behind the big one.
    SmallCard(cr, 40, 118, 84, 120, -0.32, false);
    SmallCard(cr, 166, 116, 84, 120, 0.30, false);
    // The big card: 150 × 210.
    const double x = 72, y = 62, cw = 150, ch = 212;
    for (int i = 6; i >= 1; --i) {
        RoundRect(cr, x - i * 0.5 + 2, y + 3, cw + i, ch + i, 10 + i);
        Set(cr, Hex(0x000000), 0.07);
        cairo_fill(cr);
    }
    RoundRect(cr, x, y, cw, ch, 10);
    VerticalGradient(cr, y, y + ch, CARD_TOP, CARD_BOTTOM);
    cairo_fill_preserve(cr);
    Set(cr, CARD_EDGE);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    RoundRect(cr, x + 6.5, y + 6.5, cw - 13, ch - 13, 6);
    Set(cr, CARD_EDGE, 0.45);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    // Indices: "A" and a heart, top left and (turned) bottom right.
    for (int corner = 0; corner < 2; ++corner) {
        cairo_save(cr);
        if (corner == 1) {
            cairo_translate(cr, x + cw, y + ch);
            cairo_rotate(cr, M_PI);
            cairo_translate(cr, -x, -y);
        }
        Text(cr, "A", Font { SERIF, 20, 700 }, BERRY, x + 10, y + 10, 22, 24, Centre);
        Heart(cr, x + 21, y + 38, 14, BERRY);
        cairo_restore(cr);
    }
    // Cheeks either side of the face, and the berry crown above it.
    cairo_arc(cr, 110, 172, 8, 0, 2 * M_PI);
    Set(cr, Hex(0xE8A0A0), 0.55);
    cairo_fill(cr);
    cairo_arc(cr, 184, 172, 8, 0, 2 * M_PI);
    cairo_fill(cr);
    Heart(cr, 147, 92, 26, BERRY);
    Heart(cr, 147, 97, 12, Hex(0xE25B4B));
    // The name under the face.
    Text(cr, "小莓", Font { SERIF, 15, 700 }, CARD_INK, 97, 196, 100, 22, Centre);
    Text(cr, "TALVANE", Font { SERIF, 9, 400 }, CARD_EDGE, 97, 218, 100, 14, Centre);
    // Right edge: a gold hairline between the panel and the survey.
    FillRect(cr, w - 1, 0, 1, h, GOLD_DIM, 0.6);
}

// One frame of the weeping face, 100 × 56, transparent around it: closed sad eyes, a trembling
// mouth and tears running down in turn.
void DrawCryingFrame(cairo_t* cr, int frame) {
    const double sob = (frame % 4 == 1 || frame % 4 == 2) ? 1.0 : 0.0;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int side = 0; side < 2; ++side) {
        const double ex = side == 0 ? 30 : 70, ey = 17 + sob;
        // Brow, slanted up towards the middle.
        cairo_move_to(cr, ex - 9, ey - 7 + (side == 0 ? 3 : -2));
        cairo_line_to(cr, ex + 7, ey - 7 + (side == 0 ? -2 : 3));
        Set(cr, CARD_INK);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        // Closed eye: an arc bowed upwards.
        cairo_arc(cr, ex, ey + 6, 7, M_PI * 1.15, M_PI * 1.85);
        cairo_set_line_width(cr, 2.4);
        cairo_stroke(cr);
        // The tear stream: two drops that run down and start again.
        for (int k = 0; k < 2; ++k) {
            const double t = std::fmod(frame / 8.0 + k * 0.5, 1.0);
            const double ty = ey + 6 + t * 30;
            const double tx = ex + (side == 0 ? -3 : 3) + (side == 0 ? -1 : 1) * t * 3;
            const double size = 3.2 + t * 1.5;
            cairo_move_to(cr, tx, ty - size * 1.4);
            cairo_curve_to(cr, tx + size, ty - size * 0.2, tx + size, ty + size, tx, ty + size);
            cairo_curve_to(cr, tx - size, ty + size, tx - size, ty - size * 0.2, tx, ty - size * 1.4);
            cairo_close_path(cr);
            Set(cr, TEAR, 0.9 - t * 0.5);
            cairo_fill(cr);
            cairo_arc(cr, tx - size * 0.3, ty + size * 0.1, size * 0.3, 0, 2 * M_PI);
            Set(cr, Hex(0xFFFFFF), 0.8 - t * 0.5);
            cairo_fill(cr);
        }
    }
    // A wobbling frown.
    const double my = 44 + sob;
    cairo_move_to(cr, 40, my + 2);
    cairo_curve_to(cr, 45, my - 5 - (frame % 2), 55, my - 5 + (frame % 2), 60, my + 2);
    Set(cr, CARD_INK);
    cairo_set_line_width(cr, 2.2);
    cairo_stroke(cr);
}

void DrawCryingSheet(cairo_t* cr) {
    for (int frame = 0; frame < res::CRYING_FRAMES; ++frame) {
        cairo_save(cr);
        cairo_translate(cr, frame * 100, 0);
        cairo_rectangle(cr, 0, 0, 100, 56);
        cairo_clip(cr);
        DrawCryingFrame(cr, frame);
        cairo_restore(cr);
    }
}

// The shared button look, 119 × 39; the text is the control's.
void DrawButton(cairo_t* cr, State s) {
    const int w = 119, h = 39;
    RoundRect(cr, 0.5, 0.5, w - 1, h - 1, 5);
    Rgb top = s == Hot        ? Hex(0x3A3B3F)
              : s == Pushed   ? Hex(0x151517)
              : s == Disabled ? Hex(0x232427)
                              : Hex(0x2C2D30);
    Rgb bottom = s == Pushed ? Hex(0x202124) : s == Disabled ? Hex(0x1E1F21) : Hex(0x1C1D20);
    VerticalGradient(cr, 0, h, top, bottom);
    cairo_fill_preserve(cr);
    Set(cr, s == Hot ? GOLD : GOLD_DIM, s == Disabled ? 0.4 : 1.0);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    if (s == Normal || s == Hot) HLine(cr, 6, w - 6, 1, Hex(0xFFFFFF), s == Hot ? 0.12 : 0.06);
    if (s == Hot) {
        // A warm glow along the bottom edge.
        cairo_pattern_t* glow = cairo_pattern_create_linear(0, h - 12, 0, h);
        cairo_pattern_add_color_stop_rgba(glow, 0, GOLD.r, GOLD.g, GOLD.b, 0.0);
        cairo_pattern_add_color_stop_rgba(glow, 1, GOLD.r, GOLD.g, GOLD.b, 0.18);
        cairo_set_source(cr, glow);
        RoundRect(cr, 1, 1, w - 2, h - 2, 4);
        cairo_fill(cr);
        cairo_pattern_destroy(glow);
    }
}

// Check box, 27 × 19: a 17-pixel box in the middle; a gold tick when selected.
void DrawCheckBox(cairo_t* cr, bool selected, bool hot) {
    const double x = 5, y = 1, s = 17;
    RoundRect(cr, x + 0.5, y + 0.5, s - 1, s - 1, 3);
    VerticalGradient(cr, y, y + s, Hex(0x08130E), Hex(0x112A20));
    cairo_fill_preserve(cr);
    Set(cr, hot ? GOLD : GOLD_DIM);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    if (selected) {
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_move_to(cr, x + 4, y + 8.5);
        cairo_line_to(cr, x + 7.5, y + 12);
        cairo_line_to(cr, x + 13.5, y + 4.5);
        Set(cr, hot ? GOLD_HOT : GOLD);
        cairo_set_line_width(cr, 2.2);
        cairo_stroke(cr);
    }
}

// Steps 3 and 4, 204 × 74: the cards going back into their case.
void DrawPacking(cairo_t* cr) {
    // The case, open, on the right.
    const double bx = 132, by = 22, bw = 62, bh = 46;
    RoundRect(cr, bx + 2, by + 4, bw, bh, 4);
    Set(cr, Hex(0x000000), 0.35);
    cairo_fill(cr);
    RoundRect(cr, bx, by, bw, bh, 4);
    VerticalGradient(cr, by, by + bh, Hex(0x7A2A22), Hex(0x4A1812));
    cairo_fill_preserve(cr);
    Set(cr, GOLD_DIM);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    RoundRect(cr, bx + 4.5, by + 4.5, bw - 9, bh - 9, 2);
    Set(cr, GOLD, 0.55);
    cairo_stroke(cr);
    Spade(cr, bx + bw / 2, by + 14, 18, GOLD, 0.9);
    // The lid, tipped back.
    cairo_save(cr);
    cairo_translate(cr, bx, by);
    cairo_rotate(cr, -0.35);
    RoundRect(cr, 0, -16, bw, 16, 3);
    VerticalGradient(cr, -16, 0, Hex(0x8A3329), Hex(0x5E1F17));
    cairo_fill_preserve(cr);
    Set(cr, GOLD_DIM);
    cairo_stroke(cr);
    cairo_restore(cr);
    // A trail of cards flying in from the left.
    for (int i = 0; i < 3; ++i) {
        const double t = i / 2.0;
        const double dash = 1.0 - t;
        for (int d = 0; d < 3; ++d)
            FillRect(cr, 8 + i * 40 - d * 7 - 10, 44 - i * 8, 4, 1.5, GOLD, 0.15 * dash + 0.1);
        SmallCard(cr, 8 + i * 40, 24 - i * 6, 28, 40, -0.5 + i * 0.3, i != 1);
    }
}

// The progress groove, 538 × 16; the bar runs inside it from row 2 to row 13.
void DrawTrack(cairo_t* cr) {
    const int w = 538, h = 16;
    RoundRect(cr, 0.5, 0.5, w - 1, h - 1, 7);
    VerticalGradient(cr, 0, h, Hex(0x050607), Hex(0x141517));
    cairo_fill_preserve(cr);
    Set(cr, GOLD_DIM, 0.9);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    HLine(cr, 6, w - 6, h - 1, Hex(0xFFFFFF), 0.05);
}

// The bar, 538 × 11: gold, lit along the top, with faint diagonal bands.
void DrawBar(cairo_t* cr) {
    const int w = 538, h = 11;
    RoundRect(cr, 1, 0, w - 2, h, 5);
    VerticalGradient(cr, 0, h, Hex(0xF8CF87), Hex(0xB47A34));
    cairo_fill_preserve(cr);
    cairo_save(cr);
    cairo_clip(cr);
    for (int x = -h; x < w; x += 12) {
        cairo_move_to(cr, x, h);
        cairo_line_to(cr, x + h, 0);
        cairo_line_to(cr, x + h + 5, 0);
        cairo_line_to(cr, x + 5, h);
        cairo_close_path(cr);
    }
    Set(cr, Hex(0xFFFFFF), 0.10);
    cairo_fill(cr);
    HLine(cr, 3, w - 3, 1, Hex(0xFFF3D6), 0.55);
    cairo_restore(cr);
}

// ---------------------------------------------------------------------------------------------
// Output.

struct Resource {
    int number;
    std::string type;
    std::string bytes;
};

std::vector<Resource> DrawPictures() {
    struct Job {
        int number;
        int w, h;
        std::function<void(cairo_t*)> draw;
    };
    const std::vector<Job> jobs = {
        { res::PIC_BACKGROUND, 537, 402, DrawBackground },
        { res::PIC_LEFT, 285, 351, DrawLeftPicture },
        { res::PIC_CRYING, 100 * res::CRYING_FRAMES, 56, DrawCryingSheet },
        { res::PIC_BUTTON_NORMAL, 119, 39, [](cairo_t* cr) { DrawButton(cr, Normal); } },
        { res::PIC_BUTTON_HOT, 119, 39, [](cairo_t* cr) { DrawButton(cr, Hot); } },
        { res::PIC_BUTTON_PUSHED, 119, 39, [](cairo_t* cr) { DrawButton(cr, Pushed); } },
        { res::PIC_BUTTON_DISABLED, 119, 39, [](cairo_t* cr) { DrawButton(cr, Disabled); } },
        { res::PIC_CHECK_OFF, 27, 19, [](cairo_t* cr) { DrawCheckBox(cr, false, false); } },
        { res::PIC_CHECK_ON, 27, 19, [](cairo_t* cr) { DrawCheckBox(cr, true, false); } },
        { res::PIC_CHECK_OFF_HOT, 27, 19, [](cairo_t* cr) { DrawCheckBox(cr, false, true); } },
        { res::PIC_CHECK_ON_HOT, 27, 19, [](cairo_t* cr) { DrawCheckBox(cr, true, true); } },
        { res::PIC_PACKING, 204, 74, DrawPacking },
        { res::PIC_PROGRESS_TRACK, 538, 16, DrawTrack },
        { res::PIC_PROGRESS_BAR, 538, 11, DrawBar },
    };
    std::vector<Resource> pictures;
    for (const Job& job : jobs) {
        cairo_surface_t* surface = Render(job.w, job.h, job.draw);
        pictures.push_back({ job.number, res::TYPE_PNG, EncodePng(surface) });
        cairo_surface_destroy(surface);
    }
    return pictures;
}

// Picture numbers a layout refers to: every attribute whose name ends in "image", written as a
// bare number or with res='N' (also inside the escaped values of Default elements).
std::set<int> ReferencedPictures(const std::string& text) {
    std::string xml;
    for (std::size_t at = 0; at < text.size();) {
        if (text.compare(at, 6, "&quot;") == 0) {
            xml += '"';
            at += 6;
        } else {
            xml += text[at++];
        }
    }
    std::set<int> numbers;
    static const std::regex attribute(R"re(([A-Za-z]*image)\s*=\s*"([^"]*)")re");
    static const std::regex bareNumber(R"re(^\s*(\d+)\s*$)re");
    static const std::regex resNumber(R"re(res\s*=\s*'(\d+)')re");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), attribute); it != std::sregex_iterator();
         ++it) {
        const std::string value = (*it)[2];
        std::smatch m;
        if (std::regex_match(value, m, bareNumber) || std::regex_search(value, m, resNumber))
            numbers.insert(std::stoi(m[1]));
    }
    return numbers;
}

std::string CppSource(const std::vector<Resource>& resources) {
    std::ostringstream out;
    out << "// Generated by tools/uninstall_skingen.cpp. Do not edit.\n\n"
        << "#include \"uninstall/UninstallResources.h\"\n\nnamespace {\n\n";
    for (const Resource& r : resources) {
        out << "alignas(8) const unsigned char resource_" << r.number << "_" << r.type << "[] = {";
        for (std::size_t i = 0; i < r.bytes.size(); ++i) {
            if (i % 20 == 0) out << "\n   ";
            out << ' ' << static_cast<unsigned>(static_cast<unsigned char>(r.bytes[i])) << ',';
        }
        out << "\n};\n\n";
    }
    out << "const UIResourceEntry TABLE[] = {\n";
    for (const Resource& r : resources) {
        out << "    { " << r.number << ", \"" << r.type << "\", resource_" << r.number << "_" << r.type
            << ", " << r.bytes.size() << " },\n";
    }
    out << "};\n\n}  // namespace\n\n"
        << "std::span<const UIResourceEntry> UninstallResourceTable() { return TABLE; }\n";
    return out.str();
}

bool WriteIfChanged(const fs::path& path, const std::string& text) {
    std::ifstream existing(path, std::ios::binary);
    if (existing) {
        std::string old((std::istreambuf_iterator<char>(existing)), std::istreambuf_iterator<char>());
        if (old == text) return true;
    }
    if (path.has_parent_path()) fs::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    return static_cast<bool>(file.flush());
}

int Usage() {
    std::fprintf(stderr,
                 "usage: uninstall_skingen --out FILE.cpp --xml NUMBER=LAYOUT.xml ... [--png-dir DIR]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    fs::path out, pngDir;
    std::vector<std::pair<int, fs::path>> layouts;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) return Usage();
        const std::string value = argv[++i];
        if (arg == "--out") {
            out = value;
        } else if (arg == "--png-dir") {
            pngDir = value;
        } else if (arg == "--xml") {
            const std::size_t equals = value.find('=');
            if (equals == std::string::npos) return Usage();
            layouts.emplace_back(std::atoi(value.substr(0, equals).c_str()), value.substr(equals + 1));
        } else {
            return Usage();
        }
    }
    if (out.empty() || layouts.empty()) return Usage();

    std::vector<Resource> resources;
    std::set<int> referenced;
    for (const auto& [number, path] : layouts) {
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "uninstall_skingen: cannot read %s\n", path.string().c_str());
            return 1;
        }
        std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        for (int n : ReferencedPictures(text)) referenced.insert(n);
        resources.push_back({ number, res::TYPE_XML, std::move(text) });
    }
    std::vector<Resource> pictures = DrawPictures();
    for (const Resource& picture : pictures) {
        if (picture.bytes.empty()) {
            std::fprintf(stderr, "uninstall_skingen: picture %d could not be encoded\n", picture.number);
            return 1;
        }
        referenced.erase(picture.number);
        if (!pngDir.empty()) {
            fs::create_directories(pngDir);
            std::ofstream file(pngDir / (std::to_string(picture.number) + ".png"),
                               std::ios::binary | std::ios::trunc);
            file << picture.bytes;
        }
    }
    if (!referenced.empty()) {
        for (int n : referenced)
            std::fprintf(stderr, "uninstall_skingen: the layout refers to picture %d, which is not drawn\n",
                         n);
        return 1;
    }
    resources.insert(resources.end(), pictures.begin(), pictures.end());
    if (!WriteIfChanged(out, CppSource(resources))) {
        std::fprintf(stderr, "uninstall_skingen: cannot write %s\n", out.string().c_str());
        return 1;
    }
    return 0;
}
