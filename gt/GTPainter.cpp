#include "gt/GTPainter.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <array>
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "gt/GTImage.h"
#include "gt/GTResourceManager.h"
#include "platform/WindowSurface.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Off-screen buffers. A window repaints at the same size again and again; keeping the last
// buffer of each kind saves allocating (and faulting in) megabytes on every pass.

struct BufferCache {
    cairo_surface_t* opaque { nullptr };
    cairo_surface_t* layered { nullptr };
    ~BufferCache() {
        if (opaque) cairo_surface_destroy(opaque);
        if (layered) cairo_surface_destroy(layered);
    }
};

BufferCache& Buffers() {
    static BufferCache cache;
    return cache;
}

// A cleared buffer: RGB24 for opaque painters (black, and its alpha can never leak into a
// window), ARGB32 for layered ones (transparent).
cairo_surface_t* AcquireBuffer(int width, int height, bool layered) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    cairo_surface_t*& slot = layered ? Buffers().layered : Buffers().opaque;
    if (slot && cairo_image_surface_get_width(slot) == width &&
        cairo_image_surface_get_height(slot) == height) {
        cairo_surface_t* buffer = slot;
        slot = nullptr;
        cairo_surface_flush(buffer);
        if (height > 0)
            std::memset(cairo_image_surface_get_data(buffer), 0,
                        static_cast<std::size_t>(cairo_image_surface_get_stride(buffer)) * height);
        cairo_surface_mark_dirty(buffer);
        return buffer;
    }
    return cairo_image_surface_create(layered ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, width, height);
}

void ReleaseBuffer(cairo_surface_t* buffer, bool layered) {
    cairo_surface_t*& slot = layered ? Buffers().layered : Buffers().opaque;
    if (slot) cairo_surface_destroy(slot);
    slot = buffer;
}

// Stretches at least this large (in target pixels) are kept stretched for the next pass.
constexpr long long MIN_CACHED_STRETCH = 2048;

// ---------------------------------------------------------------------------------------------
// Colours.

void SetColor(cairo_t* cr, GTColor color) {
    cairo_set_source_rgb(cr, GTRed(color) / 255.0, GTGreen(color) / 255.0, GTBlue(color) / 255.0);
}

// ---------------------------------------------------------------------------------------------
// Fonts. The original faces and their proportions: the cell (ascent + descent) and the ascent,
// both relative to the em. A positive height names the cell, so the em is height ÷ cell; text
// is placed with the original ascent, so it sits where it sat in the pictures made for it.

struct FaceInfo {
    const char* names[2];
    const char* family;
    double cell;
    double ascent;
};

constexpr const char* CJK_FAMILY = "Noto Sans CJK SC";

const FaceInfo FACES[] = {
    { { "微软雅黑", "Microsoft YaHei" }, "Noto Sans CJK SC", 1.320, 1.058 },
    { { "宋体", "SimSun" }, "Noto Sans CJK SC", 1.000, 0.859 },
    { { "新宋体", "NSimSun" }, "Noto Sans CJK SC", 1.000, 0.859 },
    { { "Tahoma", "tahoma" }, "DejaVu Sans, Noto Sans CJK SC", 1.207, 1.000 },
};
constexpr FaceInfo OTHER_FACE { { "", "" }, nullptr, 1.200, 0.950 };

const FaceInfo& FaceOf(const std::string& face) {
    for (const FaceInfo& info : FACES) {
        if (face == info.names[0] || face == info.names[1]) return info;
    }
    return OTHER_FACE;
}

double EmSize(const GTFont& font) {
    if (font.height < 0) return -font.height;
    if (font.height == 0) return 12.0;
    return font.height / FaceOf(font.face).cell;
}

int CellHeight(const GTFont& font) {
    if (font.height > 0) return font.height;
    return static_cast<int>(std::lround(EmSize(font) * FaceOf(font.face).cell));
}

int AscentOf(const GTFont& font) {
    return static_cast<int>(std::lround(EmSize(font) * FaceOf(font.face).ascent));
}

// ---------------------------------------------------------------------------------------------
// Text layouts. Shaping is the costly part of drawing text, and a window draws the same captions
// on every pass, so finished layouts are kept by (font, mode, width, text).

struct CachedLayout {
    PangoLayout* layout { nullptr };
    PangoRectangle logical {};
    PangoRectangle ink {};
    int baseline { 0 };  // pixels from the layout's top to its first baseline
    int lines { 1 };
};

class TextEngine {
public:
    static TextEngine& Instance() {
        static TextEngine engine;
        return engine;
    }

    ~TextEngine() {
        Flush();
        for (auto& [key, description] : m_fonts) pango_font_description_free(description);
        g_object_unref(m_context);
        g_object_unref(m_fontMap);
    }

    // `width` < 0: no width (no wrapping, no ellipsis).
    const CachedLayout& Get(const GTFont& font, std::string_view text, int width, bool wrap, bool ellipsis,
                            PangoAlignment alignment) {
        std::string key;
        key.reserve(text.size() + font.face.size() + 48);
        key.append(font.face).push_back('\x1f');
        key.append(std::to_string(font.height)).push_back(',');
        key.append(std::to_string(font.weight)).push_back(font.italic ? 'i' : '-');
        key.push_back(font.underline ? 'u' : '-');
        key.push_back(wrap ? 'w' : '-');
        key.push_back(ellipsis ? 'e' : '-');
        key.push_back(static_cast<char>('0' + alignment));
        key.append(std::to_string(width)).push_back('\x1f');
        key.append(text);

        auto found = m_layouts.find(key);
        if (found != m_layouts.end()) return found->second;
        if (m_layouts.size() >= MAX_LAYOUTS) Flush();

        PangoLayout* layout = pango_layout_new(m_context);
        pango_layout_set_font_description(layout, Description(font));
        if (font.underline) {
            PangoAttrList* attributes = pango_attr_list_new();
            pango_attr_list_insert(attributes, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
            pango_layout_set_attributes(layout, attributes);
            pango_attr_list_unref(attributes);
        }
        pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
        if (width >= 0) {
            pango_layout_set_width(layout, width * PANGO_SCALE);
            pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
            if (!wrap && ellipsis) pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_END);
        }
        pango_layout_set_alignment(layout, alignment);

        CachedLayout entry;
        entry.layout = layout;
        pango_layout_get_pixel_extents(layout, &entry.ink, &entry.logical);
        entry.baseline = PANGO_PIXELS(pango_layout_get_baseline(layout));
        entry.lines = pango_layout_get_line_count(layout);
        return m_layouts.emplace(std::move(key), entry).first->second;
    }

private:
    static constexpr std::size_t MAX_LAYOUTS = 2048;

    TextEngine() {
        m_fontMap = pango_cairo_font_map_new();
        m_context = pango_font_map_create_context(m_fontMap);
        cairo_font_options_t* options = cairo_font_options_create();
        // Grey antialiasing: the text lands on buffers that may carry alpha.
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
        pango_cairo_context_set_font_options(m_context, options);
        cairo_font_options_destroy(options);
        pango_cairo_context_set_resolution(m_context, 96.0);
    }

    void Flush() {
        for (auto& [key, entry] : m_layouts) g_object_unref(entry.layout);
        m_layouts.clear();
    }

    const PangoFontDescription* Description(const GTFont& font) {
        std::string key = font.face + '\x1f' + std::to_string(font.height) + ',' +
                          std::to_string(font.weight) + (font.italic ? "i" : "-");
        auto found = m_fonts.find(key);
        if (found != m_fonts.end()) return found->second;
        PangoFontDescription* description = pango_font_description_new();
        pango_font_description_set_family(description, GTPainter::ResolveFontFamily(font.face).c_str());
        pango_font_description_set_absolute_size(description, EmSize(font) * PANGO_SCALE);
        pango_font_description_set_weight(description,
                                          static_cast<PangoWeight>(font.weight > 0 ? font.weight : 400));
        pango_font_description_set_style(description, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
        m_fonts.emplace(key, description);
        return description;
    }

    PangoFontMap* m_fontMap { nullptr };
    PangoContext* m_context { nullptr };
    std::unordered_map<std::string, PangoFontDescription*> m_fonts;
    std::unordered_map<std::string, CachedLayout> m_layouts;
};

// "&x" shows as "x" and "&&" as "&" unless the format says no prefix; a single line shows line
// breaks as spaces.
std::string PrepareText(std::string_view text, unsigned format) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (!(format & GT_DT_NOPREFIX) && c == '&') {
            if (i + 1 < text.size())
                c = text[++i];
            else
                continue;
        }
        if ((format & GT_DT_SINGLELINE) && (c == '\r' || c == '\n')) c = ' ';
        out.push_back(c);
    }
    return out;
}

// The painter's own nine-grid cut storage (DrawNineGrid), shared by all painters.
std::array<GTSlice, NineGrid::PartCount>& PainterCutStorage() {
    static std::array<GTSlice, NineGrid::PartCount> storage;
    return storage;
}

void RoundRectPath(cairo_t* cr, double x, double y, double w, double h, double rx, double ry) {
    rx = std::min(rx, w / 2);
    ry = std::min(ry, h / 2);
    if (rx <= 0 || ry <= 0) {
        cairo_rectangle(cr, x, y, w, h);
        return;
    }
    auto corner = [&](double cx, double cy, double from, double to) {
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, rx, ry);
        cairo_arc(cr, 0, 0, 1, from, to);
        cairo_restore(cr);
    };
    cairo_new_sub_path(cr);
    corner(x + w - rx, y + ry, -M_PI / 2, 0);
    corner(x + w - rx, y + h - ry, 0, M_PI / 2);
    corner(x + rx, y + h - ry, M_PI / 2, M_PI);
    corner(x + rx, y + ry, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Construction and destruction.

GTPainter::GTPainter(cairo_t* target, const GTRect& area) {
    Begin(target, area, true, false);
}

GTPainter::GTPainter(cairo_t* target, bool buffered) {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    if (target) cairo_clip_extents(target, &x1, &y1, &x2, &y2);
    GTRect area { static_cast<int>(std::floor(x1)), static_cast<int>(std::floor(y1)),
                  static_cast<int>(std::ceil(x2)), static_cast<int>(std::ceil(y2)) };
    Begin(target, area, buffered, false);
}

GTPainter::GTPainter(platform::WindowSurface& window, const GTRect& area) : m_window(&window) {
    Begin(nullptr, area, true, false);
}

GTPainter::GTPainter(platform::WindowSurface& window) : m_window(&window) {
    Begin(nullptr, GTRect { 0, 0, window.Width(), window.Height() }, true, true);
}

void GTPainter::Begin(cairo_t* target, const GTRect& area, bool buffered, bool layered) {
    m_target = target;
    m_area = area;
    m_buffered = buffered || !target;
    m_layered = layered;
    if (m_buffered) {
        m_buffer = AcquireBuffer(area.Width(), area.Height(), layered);
        m_cr = cairo_create(m_buffer);
        cairo_matrix_t matrix;
        cairo_matrix_init_translate(&matrix, -area.left, -area.top);
        std::memcpy(m_baseMatrix, &matrix, sizeof matrix);
    } else {
        m_cr = cairo_reference(target);
        cairo_save(m_cr);
        cairo_matrix_t matrix;
        cairo_get_matrix(m_cr, &matrix);
        std::memcpy(m_baseMatrix, &matrix, sizeof matrix);
        cairo_rectangle_list_t* clip = cairo_copy_clip_rectangle_list(m_cr);
        if (clip->status == CAIRO_STATUS_SUCCESS) {
            m_baseClipAll = false;
            for (int i = 0; i < clip->num_rectangles; ++i) {
                const cairo_rectangle_t& r = clip->rectangles[i];
                m_baseClip.push_back(GTRect { static_cast<int>(std::floor(r.x)),
                                              static_cast<int>(std::floor(r.y)),
                                              static_cast<int>(std::ceil(r.x + r.width)),
                                              static_cast<int>(std::ceil(r.y + r.height)) });
            }
        } else {
            m_baseClipAll = false;
            m_baseClip.push_back(area);
        }
        cairo_rectangle_list_destroy(clip);
    }
    ApplyOrigin();
}

GTPainter::~GTPainter() {
    while (!m_saved.empty()) Restore();
    if (!m_buffered) {
        cairo_restore(m_cr);
        cairo_destroy(m_cr);
        return;
    }
    cairo_destroy(m_cr);
    cairo_surface_flush(m_buffer);
    bool shown = false;
    if (m_window) {
        if (m_layered) shown = m_window->PushLayered(m_buffer);
        if (!shown) m_window->Present(m_buffer, m_area.left, m_area.top);
    } else if (m_target) {
        cairo_save(m_target);
        cairo_set_operator(m_target, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(m_target, m_buffer, m_area.left, m_area.top);
        cairo_rectangle(m_target, m_area.left, m_area.top, m_area.Width(), m_area.Height());
        cairo_fill(m_target);
        cairo_restore(m_target);
    }
    ReleaseBuffer(m_buffer, m_layered);
}

// ---------------------------------------------------------------------------------------------
// State.

void GTPainter::ApplyOrigin() {
    cairo_matrix_t matrix;
    std::memcpy(&matrix, m_baseMatrix, sizeof matrix);
    cairo_matrix_translate(&matrix, m_state.origin.x, m_state.origin.y);
    cairo_set_matrix(m_cr, &matrix);
}

void GTPainter::Save() {
    cairo_save(m_cr);
    m_saved.push_back(m_state);
}

void GTPainter::Restore() {
    if (m_saved.empty()) return;
    cairo_restore(m_cr);
    m_state = m_saved.back();
    m_saved.pop_back();
}

void GTPainter::SetOrigin(int x, int y) {
    m_state.origin = GTPoint { x, y };
    ApplyOrigin();
}

void GTPainter::SetClipRect(const GTRect& rect) {
    cairo_reset_clip(m_cr);
    cairo_matrix_t matrix;
    std::memcpy(&matrix, m_baseMatrix, sizeof matrix);
    cairo_set_matrix(m_cr, &matrix);
    if (!m_baseClipAll) {
        for (const GTRect& r : m_baseClip) cairo_rectangle(m_cr, r.left, r.top, r.Width(), r.Height());
        cairo_clip(m_cr);
    }
    cairo_rectangle(m_cr, rect.left, rect.top, std::max(rect.Width(), 0), std::max(rect.Height(), 0));
    cairo_clip(m_cr);
    ApplyOrigin();
}

void GTPainter::IntersectClipRect(const GTRect& rect) {
    cairo_rectangle(m_cr, rect.left, rect.top, std::max(rect.Width(), 0), std::max(rect.Height(), 0));
    cairo_clip(m_cr);
}

void GTPainter::IntersectClipRoundRect(const GTRect& rect, int ellipseWidth, int ellipseHeight) {
    if (rect.IsEmpty()) {
        cairo_rectangle(m_cr, rect.left, rect.top, 0, 0);
    } else {
        RoundRectPath(m_cr, rect.left, rect.top, rect.Width(), rect.Height(), ellipseWidth / 2.0,
                      ellipseHeight / 2.0);
    }
    cairo_clip(m_cr);
}

GTRect GTPainter::ClipBox() const {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    cairo_clip_extents(m_cr, &x1, &y1, &x2, &y2);
    return GTRect { static_cast<int>(std::floor(x1)), static_cast<int>(std::floor(y1)),
                    static_cast<int>(std::ceil(x2)), static_cast<int>(std::ceil(y2)) };
}

bool GTPainter::RectVisible(const GTRect& rect) const {
    return !rect.IsEmpty() && ClipBox().Intersects(rect);
}

bool GTPainter::PtVisible(int x, int y) const {
    return cairo_in_clip(m_cr, x + 0.5, y + 0.5);
}

// ---------------------------------------------------------------------------------------------
// Shapes.

void GTPainter::FillRect(const GTRect& rect, GTColor color) {
    if (rect.IsEmpty()) return;
    SetColor(m_cr, color);
    cairo_rectangle(m_cr, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_fill(m_cr);
}

void GTPainter::ClearRect(const GTRect& rect) {
    if (rect.IsEmpty()) return;
    cairo_save(m_cr);
    cairo_set_operator(m_cr, CAIRO_OPERATOR_CLEAR);
    cairo_rectangle(m_cr, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_fill(m_cr);
    cairo_restore(m_cr);
}

void GTPainter::FrameRect(const GTRect& rect, GTColor color) {
    if (rect.IsEmpty()) return;
    SetColor(m_cr, color);
    const int w = rect.Width(), h = rect.Height();
    cairo_rectangle(m_cr, rect.left, rect.top, w, 1);
    if (h > 1) cairo_rectangle(m_cr, rect.left, rect.bottom - 1, w, 1);
    if (h > 2) {
        cairo_rectangle(m_cr, rect.left, rect.top + 1, 1, h - 2);
        if (w > 1) cairo_rectangle(m_cr, rect.right - 1, rect.top + 1, 1, h - 2);
    }
    cairo_fill(m_cr);
}

void GTPainter::DrawLine(int x1, int y1, int x2, int y2, GTColor color) {
    SetColor(m_cr, color);
    if (y1 == y2) {
        if (x1 == x2) return;
        int from = x1 < x2 ? x1 : x2 + 1, to = x1 < x2 ? x2 : x1 + 1;
        cairo_rectangle(m_cr, from, y1, to - from, 1);
        cairo_fill(m_cr);
    } else if (x1 == x2) {
        int from = y1 < y2 ? y1 : y2 + 1, to = y1 < y2 ? y2 : y1 + 1;
        cairo_rectangle(m_cr, x1, from, 1, to - from);
        cairo_fill(m_cr);
    } else {
        cairo_save(m_cr);
        cairo_set_line_width(m_cr, 1.0);
        cairo_move_to(m_cr, x1 + 0.5, y1 + 0.5);
        cairo_line_to(m_cr, x2 + 0.5, y2 + 0.5);
        cairo_stroke(m_cr);
        cairo_restore(m_cr);
    }
}

void GTPainter::DrawRoundRect(const GTRect& rect, int ellipseWidth, int ellipseHeight, GTColor color) {
    if (rect.IsEmpty()) return;
    cairo_save(m_cr);
    SetColor(m_cr, color);
    cairo_set_line_width(m_cr, 1.0);
    RoundRectPath(m_cr, rect.left + 0.5, rect.top + 0.5, rect.Width() - 1, rect.Height() - 1,
                  ellipseWidth / 2.0, ellipseHeight / 2.0);
    cairo_stroke(m_cr);
    cairo_restore(m_cr);
}

void GTPainter::FillGradient(const GTRect& rect, GTColor top, GTColor bottom) {
    if (rect.IsEmpty()) return;
    if (rect.Height() == 1) {
        FillRect(rect, top);
        return;
    }
    // Stops on the centres of the first and last rows, so those rows carry the two colours.
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, rect.top + 0.5, 0, rect.bottom - 0.5);
    cairo_pattern_add_color_stop_rgb(gradient, 0, GTRed(top) / 255.0, GTGreen(top) / 255.0,
                                     GTBlue(top) / 255.0);
    cairo_pattern_add_color_stop_rgb(gradient, 1, GTRed(bottom) / 255.0, GTGreen(bottom) / 255.0,
                                     GTBlue(bottom) / 255.0);
    cairo_set_source(m_cr, gradient);
    cairo_rectangle(m_cr, rect.left, rect.top, rect.Width(), rect.Height());
    cairo_fill(m_cr);
    cairo_pattern_destroy(gradient);
}

void GTPainter::DrawSurface(cairo_surface_t* surface, const GTRect& source, const GTRect& dest) {
    if (!surface || source.IsEmpty() || dest.IsEmpty()) return;
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(surface);
    cairo_matrix_t matrix;
    cairo_matrix_init_translate(&matrix, source.left, source.top);
    cairo_matrix_scale(&matrix, static_cast<double>(source.Width()) / dest.Width(),
                       static_cast<double>(source.Height()) / dest.Height());
    cairo_matrix_translate(&matrix, -dest.left, -dest.top);
    cairo_pattern_set_matrix(pattern, &matrix);
    cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
    cairo_set_source(m_cr, pattern);
    cairo_rectangle(m_cr, dest.left, dest.top, dest.Width(), dest.Height());
    cairo_fill(m_cr);
    cairo_pattern_destroy(pattern);
}

void GTPainter::DrawImage(const GTImage& image, const GTRect& source, const GTRect& dest) {
    if (source.IsEmpty() || dest.IsEmpty()) return;
    const cairo_operator_t blend = cairo_get_operator(m_cr);
    if (blend != CAIRO_OPERATOR_OVER) {
        DrawSurface(image.Surface(), source, dest);
        return;
    }
    // Shortcuts that give the very pixels a nearest-pixel stretch gives, for less work: skin
    // backgrounds are mostly flat colours and bands that only stretch along one direction.
    const GTImage::Shortcuts& fast =
        image.ShortcutsFor(source.left, source.top, source.Width(), source.Height());
    if (fast.uniformOpaque) {
        cairo_set_source_rgb(m_cr, ((fast.color >> 16) & 0xFF) / 255.0, ((fast.color >> 8) & 0xFF) / 255.0,
                             (fast.color & 0xFF) / 255.0);
        cairo_rectangle(m_cr, dest.left, dest.top, dest.Width(), dest.Height());
        cairo_fill(m_cr);
        return;
    }
    // An opaque source replaces what is under it: the same result as blending, only cheaper.
    const bool opaque = image.IsOpaque(source.left, source.top, source.Width(), source.Height());
    if (opaque) cairo_set_operator(m_cr, CAIRO_OPERATOR_SOURCE);
    const bool stretched = dest.Width() != source.Width() || dest.Height() != source.Height();
    cairo_surface_t* cached = nullptr;
    if (fast.firstRow && dest.Width() == source.Width()) {
        cairo_set_source_surface(m_cr, fast.firstRow, dest.left, dest.top);
        cairo_pattern_set_extend(cairo_get_source(m_cr), CAIRO_EXTEND_REPEAT);
        cairo_rectangle(m_cr, dest.left, dest.top, dest.Width(), dest.Height());
        cairo_fill(m_cr);
    } else if (stretched && static_cast<long long>(dest.Width()) * dest.Height() >= MIN_CACHED_STRETCH &&
               (cached = image.Stretched(source.left, source.top, source.Width(), source.Height(),
                                         dest.Width(), dest.Height()))) {
        cairo_set_source_surface(m_cr, cached, dest.left, dest.top);
        cairo_rectangle(m_cr, dest.left, dest.top, dest.Width(), dest.Height());
        cairo_fill(m_cr);
    } else {
        DrawSurface(image.Surface(), source, dest);
    }
    if (opaque) cairo_set_operator(m_cr, blend);
}

// ---------------------------------------------------------------------------------------------
// Skin pictures.

bool GTPainter::DrawSlice(const GTSlice* slice, int x, int y, int width, int height) {
    if (!slice || !slice->image) return false;
    DrawImage(*slice->image, GTRect::FromSize(slice->x, slice->y, slice->width, slice->height),
              GTRect::FromSize(x, y, width, height));
    return true;
}

bool GTPainter::DrawSliceRect(const GTSlice* slice, const GTRect& rect) {
    return DrawSlice(slice, rect.left, rect.top, rect.Width(), rect.Height());
}

bool GTPainter::DrawNineGrid(const GTSlice* slice, const GTRect& rect, int left, int top, int right,
                             int bottom) {
    if (!slice || !slice->image) return false;
    auto& storage = PainterCutStorage();
    NineGrid grid;
    const GTMargins margins { left, top, right, bottom };
    for (int part = 0; part < NineGrid::PartCount; ++part) {
        GTRect r = NineGridPartRect(part, slice->x, slice->y, slice->width, slice->height, margins);
        storage[part] = GTSlice(slice->name, r.left, r.top, r.Width(), r.Height(), slice->image);
        grid.parts[part] = &storage[part];
    }
    grid.mode = NineGrid::Full;
    DrawGrid(grid, rect);
    return true;
}

void GTPainter::DrawGrid(const NineGrid& grid, const GTRect& d) {
    const GTSlice* const* p = grid.parts;
    auto span = [this](const GTSlice* s, int left, int top, int right, int bottom) {
        if (s) DrawSlice(s, left, top, right - left, bottom - top);
    };
    auto natural = [this](const GTSlice* s, int x, int y) {
        if (s) DrawSlice(s, x, y, s->width, s->height);
    };
    const GTSlice *tl = p[NineGrid::TopLeft], *t = p[NineGrid::Top], *tr = p[NineGrid::TopRight];
    const GTSlice *l = p[NineGrid::Left], *c = p[NineGrid::Centre], *r = p[NineGrid::Right];
    const GTSlice *bl = p[NineGrid::BottomLeft], *b = p[NineGrid::Bottom], *br = p[NineGrid::BottomRight];

    switch (grid.mode) {
        case NineGrid::Full:
        case NineGrid::Frame:
            natural(tl, d.left, d.top);
            if (tl && tr)
                span(t, d.left + tl->width, d.top, d.right - tr->width, d.top + (t ? t->height : 0));
            if (tr) natural(tr, d.right - tr->width, d.top);
            if (tl && bl)
                span(l, d.left, d.top + tl->height, d.left + (l ? l->width : 0), d.bottom - bl->height);
            if (grid.mode == NineGrid::Full && tl && br)
                span(c, d.left + tl->width, d.top + tl->height, d.right - br->width, d.bottom - br->height);
            if (tr && br)
                span(r, d.right - (r ? r->width : 0), d.top + tr->height, d.right, d.bottom - br->height);
            if (bl) natural(bl, d.left, d.bottom - bl->height);
            if (bl && br)
                span(b, d.left + bl->width, d.bottom - (b ? b->height : 0), d.right - br->width, d.bottom);
            if (br) natural(br, d.right - br->width, d.bottom - br->height);
            break;
        case NineGrid::Horizontal:
            if (l) span(l, d.left, d.top, d.left + l->width, d.bottom);
            if (l && r) span(c, d.left + l->width, d.top, d.right - r->width, d.bottom);
            if (r) span(r, d.right - r->width, d.top, d.right, d.bottom);
            break;
        case NineGrid::Vertical:
            if (t) span(t, d.left, d.top, d.right, d.top + t->height);
            if (t && b) span(c, d.left, d.top + t->height, d.right, d.bottom - b->height);
            if (b) span(b, d.left, d.bottom - b->height, d.right, d.bottom);
            break;
        default:
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// Text.

std::string GTPainter::ResolveFontFamily(const std::string& face) {
    const FaceInfo& info = FaceOf(face);
    if (info.family) return info.family;
    if (face.empty()) return CJK_FAMILY;
    return face + ", " + CJK_FAMILY + ", sans-serif";
}

void GTPainter::SetFont(const GTFont& font) {
    m_state.font = font;
}

void GTPainter::SetTextColor(GTColor color) {
    m_state.textColor = color;
}

int GTPainter::LineHeight(const GTFont& font) {
    return CellHeight(font);
}

GTSize GTPainter::MeasureText(const GTFont& font, std::string_view text) {
    const CachedLayout& entry = TextEngine::Instance().Get(font, text, -1, false, false, PANGO_ALIGN_LEFT);
    return GTSize { entry.logical.width, CellHeight(font) };
}

GTSize GTPainter::MeasureText(std::string_view text) const {
    return MeasureText(m_state.font, text);
}

int GTPainter::LayoutText(std::string_view original, GTRect& rect, unsigned format, bool draw,
                          GTColor color) {
    const std::string text = PrepareText(original, format);
    const GTFont& font = m_state.font;
    const bool single = format & GT_DT_SINGLELINE;
    const bool wrap = !single && (format & GT_DT_WORDBREAK);
    const bool ellipsis = format & GT_DT_END_ELLIPSIS;
    const bool centre = format & GT_DT_CENTER;
    const bool right = !centre && (format & GT_DT_RIGHT);
    const int boxWidth = std::max(rect.Width(), 0);

    // Lines of several lines are aligned by Pango inside the box; a single one is placed here.
    const bool pangoAligns = !single && (wrap || centre || right);
    const int width = (wrap || ellipsis || pangoAligns) ? boxWidth : -1;
    const PangoAlignment alignment = pangoAligns ? (centre  ? PANGO_ALIGN_CENTER
                                                    : right ? PANGO_ALIGN_RIGHT
                                                            : PANGO_ALIGN_LEFT)
                                                 : PANGO_ALIGN_LEFT;
    const CachedLayout& entry = TextEngine::Instance().Get(font, text, width, wrap, ellipsis, alignment);

    const int cell = CellHeight(font);
    const int textWidth = pangoAligns ? std::min(entry.logical.width, boxWidth) : entry.logical.width;
    const int textHeight = entry.lines <= 1 ? cell : entry.logical.height;

    if (format & GT_DT_CALCRECT) {
        rect.right = rect.left + ((ellipsis && !wrap) ? std::min(textWidth, boxWidth) : textWidth);
        rect.bottom = rect.top + textHeight;
        return textHeight;
    }
    if (!draw || text.empty()) return textHeight;

    int x = rect.left;
    if (!pangoAligns) {
        if (centre)
            x = rect.left + (boxWidth - textWidth) / 2;
        else if (right)
            x = rect.right - textWidth;
    }
    int top = rect.top;
    if (single && (format & GT_DT_VCENTER))
        top = rect.top + (rect.Height() - cell) / 2;
    else if (single && (format & GT_DT_BOTTOM))
        top = rect.bottom - cell;

    // The first baseline sits where the original face put it.
    const int layoutTop = top + AscentOf(font) - entry.baseline;

    const int layoutLeft = x - (pangoAligns ? 0 : entry.logical.x);
    // Clipping costs more than the text itself; it is needed only when the ink leaves the box.
    const GTRect ink = GTRect::FromSize(layoutLeft + entry.ink.x, layoutTop + entry.ink.y, entry.ink.width,
                                        entry.ink.height);
    const bool clip = !(format & GT_DT_NOCLIP) && ink.Intersect(rect) != ink;
    if (clip) {
        cairo_save(m_cr);
        cairo_rectangle(m_cr, rect.left, rect.top, boxWidth, std::max(rect.Height(), 0));
        cairo_clip(m_cr);
    }
    SetColor(m_cr, color);
    cairo_move_to(m_cr, layoutLeft, layoutTop);
    pango_cairo_show_layout(m_cr, entry.layout);
    if (clip) cairo_restore(m_cr);
    return textHeight;
}

int GTPainter::DrawText(std::string_view text, GTRect& rect, unsigned format) {
    return LayoutText(text, rect, format, true, m_state.textColor);
}

int GTPainter::DrawText(std::string_view text, const GTRect& rect, unsigned format) {
    GTRect copy = rect;
    return LayoutText(text, copy, format & ~GT_DT_CALCRECT, true, m_state.textColor);
}

void GTPainter::TextOut(int x, int y, std::string_view text) {
    if (text.empty()) return;
    const CachedLayout& entry =
        TextEngine::Instance().Get(m_state.font, text, -1, false, false, PANGO_ALIGN_LEFT);
    SetColor(m_cr, m_state.textColor);
    cairo_move_to(m_cr, x - entry.logical.x, y + AscentOf(m_state.font) - entry.baseline);
    pango_cairo_show_layout(m_cr, entry.layout);
}

void GTPainter::DrawShadowText(std::string_view text, const GTRect& rect, unsigned format, GTColor color,
                               GTColor shadow, int dx, int dy) {
    GTRect moved = rect.Offset(dx, dy);
    LayoutText(text, moved, format & ~GT_DT_CALCRECT, true, shadow);
    GTRect place = rect;
    LayoutText(text, place, format & ~GT_DT_CALCRECT, true, color);
}
