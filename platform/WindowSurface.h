#pragma once

typedef struct _cairo_surface cairo_surface_t;

namespace platform {

// Where a window's pictures go, as the toolkit's painter sees a window: it paints a whole
// picture off-screen and hands it over in one piece, either as an opaque part of the window
// (ordinary windows, during their paint) or as the window's entire content with per-pixel alpha
// (layered windows, at any time). The platform window owns its surface; the painter only borrows
// it for one paint pass.
//
// Pictures are Cairo image surfaces: ARGB32 (premultiplied) or RGB24. The callee copies what it
// needs before returning; the caller keeps ownership of `image`.
class WindowSurface {
public:
    virtual ~WindowSurface() = default;

    // Size of the window's client area in pixels.
    virtual int Width() const = 0;
    virtual int Height() const = 0;

    // Puts `image` on the window with its top-left corner at (x, y) in client coordinates,
    // opaque: its alpha is ignored. Only the part inside the area the window is repainting
    // reaches the screen. False when the window cannot show anything now (not yet realised,
    // or called outside a paint); the window then repaints that area at its next paint.
    virtual bool Present(cairo_surface_t* image, int x, int y) = 0;

    // Makes `image` (ARGB32, the window's size) the whole content of a layered window: every
    // pixel keeps its alpha, fully transparent pixels let the mouse through. Shown at once, also
    // outside a paint. False when the window cannot show per-pixel alpha; the caller then
    // presents the picture as an opaque one.
    virtual bool PushLayered(cairo_surface_t* image) = 0;
};

}  // namespace platform
