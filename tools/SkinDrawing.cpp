#include "tools/SkinDrawing.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <fstream>

namespace skin_drawing {

void Set(cairo_t* cr, Rgb c, double alpha) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    r = std::min({ r, w / 2, h / 2 });
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void VerticalGradient(cairo_t* cr, double y0, double y1, Rgb top, Rgb bottom, double alpha) {
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgba(p, 0, top.r, top.g, top.b, alpha);
    cairo_pattern_add_color_stop_rgba(p, 1, bottom.r, bottom.g, bottom.b, alpha);
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
}

void FillRect(cairo_t* cr, double x, double y, double w, double h, Rgb c, double alpha) {
    Set(cr, c, alpha);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

void HLine(cairo_t* cr, double x0, double x1, double y, Rgb c, double alpha) {
    FillRect(cr, x0, y, x1 - x0, 1, c, alpha);
}

void Spade(cairo_t* cr, double cx, double top, double size, Rgb c, double alpha) {
    double w = size * 0.86;
    double lobeY = top + size * 0.55;
    cairo_move_to(cr, cx, top);
    cairo_curve_to(cr, cx + w * 0.15, top + size * 0.18, cx + w * 0.52, top + size * 0.3, cx + w * 0.5,
                   lobeY);
    cairo_curve_to(cr, cx + w * 0.48, top + size * 0.76, cx + w * 0.16, top + size * 0.78, cx + w * 0.04,
                   top + size * 0.64);
    cairo_curve_to(cr, cx + w * 0.08, top + size * 0.82, cx + w * 0.16, top + size * 0.94, cx + w * 0.26,
                   top + size);
    cairo_line_to(cr, cx - w * 0.26, top + size);
    cairo_curve_to(cr, cx - w * 0.16, top + size * 0.94, cx - w * 0.08, top + size * 0.82, cx - w * 0.04,
                   top + size * 0.64);
    cairo_curve_to(cr, cx - w * 0.16, top + size * 0.78, cx - w * 0.48, top + size * 0.76, cx - w * 0.5,
                   lobeY);
    cairo_curve_to(cr, cx - w * 0.52, top + size * 0.3, cx - w * 0.15, top + size * 0.18, cx, top);
    cairo_close_path(cr);
    Set(cr, c, alpha);
    cairo_fill(cr);
}

PangoLayout* MakeLayout(cairo_t* cr, const std::string& text, Font font) {
    PangoLayout* layout = pango_cairo_create_layout(cr);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
    cairo_font_options_destroy(options);
    pango_layout_context_changed(layout);
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, font.family);
    pango_font_description_set_absolute_size(description, font.px * PANGO_SCALE);
    pango_font_description_set_weight(description, static_cast<PangoWeight>(font.weight));
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    pango_layout_set_text(layout, text.c_str(), -1);
    return layout;
}

void Text(cairo_t* cr, const std::string& text, Font font, Rgb colour, double x, double y, double w, double h,
          Align align, double alpha) {
    PangoLayout* reference = MakeLayout(cr, "国", font);
    PangoRectangle refInk;
    pango_layout_get_pixel_extents(reference, &refInk, nullptr);
    g_object_unref(reference);

    PangoLayout* layout = MakeLayout(cr, text, font);
    PangoRectangle logical;
    pango_layout_get_pixel_extents(layout, nullptr, &logical);
    double left = align == Left ? x : align == Centre ? x + (w - logical.width) / 2.0 : x + w - logical.width;
    double top = y + (h - refInk.height) / 2.0 - refInk.y;
    cairo_move_to(cr, std::round(left), std::round(top));
    Set(cr, colour, alpha);
    pango_cairo_show_layout(cr, layout);
    g_object_unref(layout);
}

cairo_surface_t* Render(int w, int h, const std::function<void(cairo_t*)>& draw) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(surface);
    draw(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

std::vector<std::uint8_t> StraightRgba(cairo_surface_t* surface) {
    cairo_surface_flush(surface);
    const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        for (int x = 0; x < w; ++x) {
            const std::uint32_t p = row[x];
            const unsigned a = p >> 24;
            auto straight = [a](unsigned c) { return a == 0 ? 0u : std::min(255u, (c * 255 + a / 2) / a); };
            std::uint8_t* o = &out[(static_cast<std::size_t>(y) * w + x) * 4];
            o[0] = static_cast<std::uint8_t>(straight((p >> 16) & 0xFF));
            o[1] = static_cast<std::uint8_t>(straight((p >> 8) & 0xFF));
            o[2] = static_cast<std::uint8_t>(straight(p & 0xFF));
            o[3] = static_cast<std::uint8_t>(a);
        }
    }
    return out;
}

namespace {

void AppendBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::string*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), length);
}

}  // namespace

std::string EncodePng(cairo_surface_t* surface) {
    const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    std::vector<std::uint8_t> rgba = StraightRgba(surface);
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, AppendBytes, nullptr);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < h; ++y) png_write_row(png, rgba.data() + static_cast<std::size_t>(y) * w * 4);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

bool WritePng(const std::filesystem::path& path, cairo_surface_t* surface) {
    const std::string bytes = EncodePng(surface);
    if (bytes.empty()) return false;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    return static_cast<bool>(file.flush());
}

}  // namespace skin_drawing
