#pragma once

#include <gtk/gtk.h>

#include "platform/WindowSurface.h"

namespace platform {

// The WindowSurface of a GTK widget, normally an undecorated top-level window with an RGBA
// visual. The platform window that owns the widget owns one of these and forwards the widget's
// "draw" signal to it:
//
//   gboolean OnDraw(GtkWidget*, cairo_t* cr) {
//       if (surface.DrawLayered(cr)) return TRUE;      // a layered window shows its last push
//       surface.BeginDraw(cr);
//       ... paint pass: a GTPainter over the surface presents the picture ...
//       surface.EndDraw();
//       return TRUE;
//   }
//
// Present works only between BeginDraw and EndDraw (GTK draws nowhere else); outside it queues a
// redraw of the area instead. PushLayered works at any time: the picture is kept and drawn by
// DrawLayered at the next frame, and the window's input shape follows its non-transparent pixels.
class GtkWindowSurface : public WindowSurface {
public:
    explicit GtkWindowSurface(GtkWidget* widget);
    ~GtkWindowSurface() override;
    GtkWindowSurface(const GtkWindowSurface&) = delete;
    GtkWindowSurface& operator=(const GtkWindowSurface&) = delete;

    // Overridden from WindowSurface:
    int Width() const override;
    int Height() const override;
    bool Present(cairo_surface_t* image, int x, int y) override;
    bool PushLayered(cairo_surface_t* image) override;

    // Marks the widget's "draw" handler: `cr` is GTK's context for this frame, clipped to the
    // area being repainted.
    void BeginDraw(cairo_t* cr);
    void EndDraw();

    // Paints the last pushed layered picture into `cr`, replacing what is there; false (and
    // nothing painted) when no picture was pushed.
    bool DrawLayered(cairo_t* cr);
    bool HasLayeredPicture() const { return m_layered != nullptr; }
    // Forgets the layered picture and the input shape (the window becomes an ordinary one).
    void DropLayeredPicture();

private:
    GtkWidget* m_widget { nullptr };
    cairo_t* m_drawContext { nullptr };
    cairo_surface_t* m_layered { nullptr };
};

}  // namespace platform
