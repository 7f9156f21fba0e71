#pragma once

// Drawing helpers shared by the skin generators (skingen, uninstall_skingen): shapes, gradients
// and text with Cairo and Pango, and 8-bit RGBA PNG output. Everything here is deterministic, so
// the generated pictures are reproducible byte for byte.

#include <cairo.h>
#include <pango/pangocairo.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "tools/SkinPalette.h"

namespace skin_drawing {

// A button picture's state.
enum State { Normal, Hot, Pushed, Disabled };

struct Font {
    const char* family;
    double px;
    int weight;
};

enum Align { Left, Centre, Right };

void Set(cairo_t* cr, Rgb c, double alpha = 1.0);

// Shapes.
void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r);
void VerticalGradient(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom, double alpha = 1.0);
void FillRect(cairo_t* cr, double x, double y, double w, double h, Rgb c, double alpha = 1.0);
// A one-pixel horizontal line covering whole pixels.
void HLine(cairo_t* cr, double x0, double x1, double y, Rgb c, double alpha = 1.0);
// A spade of height `size` with its point at (cx, top): two lobes, a point and a stem.
void Spade(cairo_t* cr, double cx, double top, double size, Rgb c, double alpha = 1.0);

// Text. The layout is the caller's to unref.
PangoLayout* MakeLayout(cairo_t* cr, const std::string& text, Font font);
// Draws one line of text in the box, centred vertically on the ink of a full-height ideograph,
// so Chinese and Latin texts sit alike.
void Text(cairo_t* cr, const std::string& text, Font font, Rgb colour, double x, double y, double w, double h,
          Align align = Centre, double alpha = 1.0);

// A w × h ARGB32 picture drawn by `draw`; the caller destroys it.
cairo_surface_t* Render(int w, int h, const std::function<void(cairo_t*)>& draw);
// Straight (not premultiplied) 8-bit RGBA rows, as PNG and ICO files carry them.
std::vector<std::uint8_t> StraightRgba(cairo_surface_t* surface);
// The picture as an 8-bit RGBA PNG file's bytes, even for opaque pictures (the skin loaders
// accept nothing else); empty on failure.
std::string EncodePng(cairo_surface_t* surface);
bool WritePng(const std::filesystem::path& path, cairo_surface_t* surface);

}  // namespace skin_drawing
