#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "gt/GTFont.h"
#include "gt/GTSlice.h"
#include "gt/GTTypes.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace platform {
class WindowSurface;
}

// Text format flags: the original platform's values, of which the toolkit uses exactly these.
constexpr unsigned GT_DT_LEFT = 0x0;
constexpr unsigned GT_DT_CENTER = 0x1;  // centred horizontally
constexpr unsigned GT_DT_RIGHT = 0x2;
constexpr unsigned GT_DT_VCENTER = 0x4;      // centred vertically; only together with SINGLELINE
constexpr unsigned GT_DT_BOTTOM = 0x8;       // bottom-aligned; only together with SINGLELINE
constexpr unsigned GT_DT_WORDBREAK = 0x10;   // wrap at the right edge (otherwise only at "\n")
constexpr unsigned GT_DT_SINGLELINE = 0x20;  // one line; "\r" and "\n" show as spaces
constexpr unsigned GT_DT_NOCLIP = 0x100;     // do not clip to the rectangle
constexpr unsigned GT_DT_CALCRECT = 0x400;   // measure only: adjust the rectangle, draw nothing
constexpr unsigned GT_DT_NOPREFIX = 0x800;   // "&" is an ordinary character (else "&x" → "x", "&&" → "&")
constexpr unsigned GT_DT_END_ELLIPSIS = 0x8000;  // a line that does not fit ends in "…"

// The two combinations the controls use.
constexpr unsigned GT_BUTTON_FORMAT =
    GT_DT_CENTER | GT_DT_VCENTER | GT_DT_SINGLELINE | GT_DT_NOPREFIX | GT_DT_END_ELLIPSIS;  // 0x8825
constexpr unsigned GT_LABEL_FORMAT =
    GT_DT_LEFT | GT_DT_VCENTER | GT_DT_SINGLELINE | GT_DT_NOPREFIX | GT_DT_END_ELLIPSIS;  // 0x8824

// The drawing surface handed to every paint operation of the toolkit, for one paint pass.
//
// Forms:
// - buffered: everything is drawn into an off-screen picture of the painted area, which reaches
//   its target in one copy when the painter is destroyed (no flicker). Drawing uses target
//   coordinates: the buffer's top-left pixel is the area's top-left corner. The buffer of an
//   ordinary (opaque) painter starts black and opaque, so what nothing covers shows black, and
//   the copy replaces the target's pixels in the area;
// - unbuffered: drawing goes straight to the target; destruction copies nothing;
// - layered: the buffer covers the whole window, starts fully transparent and is pushed to the
//   window with per-pixel alpha on destruction (falling back to an opaque copy when the window
//   cannot show alpha).
// A painter over a Cairo context of an image surface needs no display (tests, the skin tools).
//
// Coordinates: SetOrigin(x, y) puts the logical point (0, 0) at target point (x, y); every
// drawing operation takes logical coordinates. Clip rectangles set with SetClipRect are in
// target coordinates and replace the clip; IntersectClipRect narrows it in logical coordinates.
// Save/Restore keep origin, clip, font and text colour.
//
// Pictures: slices are drawn alpha-blended (source over) from the decoded skin pictures;
// stretching samples the nearest source pixel, as the original platform's stretch did, so a
// stretched part never picks up colours from its neighbours on the sheet.
//
// Text: Pango, always with a transparent background, in the selected font and text colour.
//
// Fonts: the original face names are mapped to installed fonts by the painter itself (no
// fontconfig file to install): "微软雅黑"/"Microsoft YaHei", "宋体"/"SimSun", "新宋体"/"NSimSun"
// → Noto Sans CJK SC; "Tahoma" → DejaVu Sans with Noto Sans CJK SC for Chinese; any other face
// is asked for as written, with Noto Sans CJK SC behind it. See ResolveFontFamily.
//
// User-interface thread only (the text layout cache and the nine-grid cut storage are shared
// without a lock).
class GTPainter {
public:
    // Buffered over `target`, covering `area` (target coordinates). The form for window painting.
    GTPainter(cairo_t* target, const GTRect& area);
    // Over `target`; the area is the target's current clip box. Buffered or straight.
    GTPainter(cairo_t* target, bool buffered);
    // Buffered over a window: on destruction the buffer is presented (opaque) at `area`.
    GTPainter(platform::WindowSurface& window, const GTRect& area);
    // Layered over a window: the area is (0, 0, window width, window height).
    explicit GTPainter(platform::WindowSurface& window);
    // Shows the result (see the forms above).
    ~GTPainter();
    GTPainter(const GTPainter&) = delete;
    GTPainter& operator=(const GTPainter&) = delete;

    bool IsBuffered() const { return m_buffered; }
    bool IsLayered() const { return m_layered; }
    // Target coordinates of what the painter covers.
    const GTRect& Area() const { return m_area; }
    // The Cairo context everything is drawn into (the buffer's when buffered), in logical
    // coordinates. For drawing the toolkit has no operation for; leave its state as found.
    cairo_t* Context() const { return m_cr; }

    // State.
    void Save();
    void Restore();
    void SetOrigin(int x, int y);
    GTPoint Origin() const { return m_state.origin; }
    // Replaces the clip by `rect` in target coordinates (of an unbuffered painter: within the
    // clip its target had when the painter was made).
    void SetClipRect(const GTRect& rect);
    void IntersectClipRect(const GTRect& rect);
    // Narrows the clip to a rectangle with rounded corners (corner ellipse width × height).
    void IntersectClipRoundRect(const GTRect& rect, int ellipseWidth, int ellipseHeight);
    // The clip's bounding box in logical coordinates.
    GTRect ClipBox() const;
    // Whether anything of the rectangle or point (logical coordinates) lies in the clip.
    bool RectVisible(const GTRect& rect) const;
    bool PtVisible(int x, int y) const;

    // Shapes.
    void FillRect(const GTRect& rect, GTColor color);
    // Makes the rectangle fully transparent (layered painters).
    void ClearRect(const GTRect& rect);
    // 1-pixel outline just inside the rectangle.
    void FrameRect(const GTRect& rect, GTColor color);
    // 1-pixel line from (x1, y1) towards (x2, y2), the last point excluded; horizontal and
    // vertical lines cover whole pixels.
    void DrawLine(int x1, int y1, int x2, int y2, GTColor color);
    // 1-pixel outline of a rectangle with rounded corners.
    void DrawRoundRect(const GTRect& rect, int ellipseWidth, int ellipseHeight, GTColor color);
    // Vertical two-colour gradient, top colour on the top row, bottom colour on the bottom row.
    void FillGradient(const GTRect& rect, GTColor top, GTColor bottom);
    // Alpha-blends the `source` rectangle of a picture into `dest`, stretched when the sizes differ.
    void DrawImage(const GTImage& image, const GTRect& source, const GTRect& dest);
    // The same for any Cairo image surface (animation frames, shadow pictures).
    void DrawSurface(cairo_surface_t* surface, const GTRect& source, const GTRect& dest);

    // Skin pictures. False, and nothing drawn, when the slice or its picture is missing.
    bool DrawSlice(const GTSlice* slice, int x, int y, int width, int height);
    bool DrawSliceRect(const GTSlice* slice, const GTRect& rect);
    // Cuts `slice` as GTResourceManager::GetNineGrid does (into a storage area of the painter's
    // own, shared by all painters) and draws the full nine-grid into `rect`.
    bool DrawNineGrid(const GTSlice* slice, const GTRect& rect, int left, int top, int right, int bottom);
    // Draws a grid cut earlier by its mode (see NineGrid); a missing part is left out, any other
    // mode draws nothing.
    void DrawGrid(const NineGrid& grid, const GTRect& rect);

    // Text.
    void SetFont(const GTFont& font);
    const GTFont& Font() const { return m_state.font; }
    void SetTextColor(GTColor color);
    GTColor TextColor() const { return m_state.textColor; }
    // Draws `text` (UTF-8) in `rect` by `format` (GT_DT_*), clipped to `rect` unless
    // GT_DT_NOCLIP. Returns the height of the text. With GT_DT_CALCRECT nothing is drawn and
    // `rect` becomes the text's extent: its right and bottom edges move to fit the text
    // (with GT_DT_END_ELLIPSIS a line never grows beyond the given width).
    int DrawText(std::string_view text, GTRect& rect, unsigned format);
    int DrawText(std::string_view text, const GTRect& rect, unsigned format);
    // Draws one line of text with its top-left corner at (x, y).
    void TextOut(int x, int y, std::string_view text);
    // The text drawn twice: first in `shadow` moved by (dx, dy), then in `color` in place.
    void DrawShadowText(std::string_view text, const GTRect& rect, unsigned format, GTColor color,
                        GTColor shadow, int dx, int dy);
    // Width and height of one line of text in the selected font.
    GTSize MeasureText(std::string_view text) const;

    // Measuring without a painter (no window or display needed).
    static GTSize MeasureText(const GTFont& font, std::string_view text);
    // Height of one line of the font.
    static int LineHeight(const GTFont& font);
    // The fontconfig family list used for an original face name.
    static std::string ResolveFontFamily(const std::string& face);

private:
    struct State {
        GTPoint origin;
        GTFont font;
        GTColor textColor { 0 };
    };

    void Begin(cairo_t* target, const GTRect& area, bool buffered, bool layered);
    void ApplyOrigin();
    int LayoutText(std::string_view text, GTRect& rect, unsigned format, bool draw, GTColor color);

    cairo_t* m_target { nullptr };
    platform::WindowSurface* m_window { nullptr };
    GTRect m_area;
    bool m_buffered { false };
    bool m_layered { false };
    cairo_surface_t* m_buffer { nullptr };
    cairo_t* m_cr { nullptr };
    // Target transformation and clip when the painter was made (unbuffered painters draw relative
    // to them).
    double m_baseMatrix[6] { 1, 0, 0, 1, 0, 0 };
    std::vector<GTRect> m_baseClip;
    bool m_baseClipAll { true };
    State m_state;
    std::vector<State> m_saved;
};
