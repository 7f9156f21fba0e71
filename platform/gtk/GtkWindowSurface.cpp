#include "platform/gtk/GtkWindowSurface.h"

namespace platform {

GtkWindowSurface::GtkWindowSurface(GtkWidget* widget) : m_widget(widget) {
    // The widget may go before its surface: forget it then.
    g_object_add_weak_pointer(G_OBJECT(m_widget), reinterpret_cast<gpointer*>(&m_widget));
}

GtkWindowSurface::~GtkWindowSurface() {
    if (m_widget) g_object_remove_weak_pointer(G_OBJECT(m_widget), reinterpret_cast<gpointer*>(&m_widget));
    if (m_layered) cairo_surface_destroy(m_layered);
}

int GtkWindowSurface::Width() const {
    return m_widget ? gtk_widget_get_allocated_width(m_widget) : 0;
}

int GtkWindowSurface::Height() const {
    return m_widget ? gtk_widget_get_allocated_height(m_widget) : 0;
}

bool GtkWindowSurface::Present(cairo_surface_t* image, int x, int y) {
    if (!m_widget || !image) return false;
    if (!m_drawContext) {
        gtk_widget_queue_draw_area(m_widget, x, y, cairo_image_surface_get_width(image),
                                   cairo_image_surface_get_height(image));
        return false;
    }
    cairo_t* cr = m_drawContext;
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_rectangle(cr, x, y, cairo_image_surface_get_width(image), cairo_image_surface_get_height(image));
    cairo_clip(cr);
    if (cairo_image_surface_get_format(image) == CAIRO_FORMAT_ARGB32) {
        // Opaque: whatever alpha the picture carries, the window shows its colours over black.
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_paint(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    }
    cairo_set_source_surface(cr, image, x, y);
    cairo_paint(cr);
    cairo_restore(cr);
    return true;
}

bool GtkWindowSurface::PushLayered(cairo_surface_t* image) {
    if (!m_widget || !image) return false;
    // Keep a copy: the painter reuses its buffer.
    int width = cairo_image_surface_get_width(image);
    int height = cairo_image_surface_get_height(image);
    if (!m_layered || cairo_image_surface_get_width(m_layered) != width ||
        cairo_image_surface_get_height(m_layered) != height) {
        if (m_layered) cairo_surface_destroy(m_layered);
        m_layered = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    }
    cairo_t* cr = cairo_create(m_layered);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, image, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(m_layered);

    cairo_region_t* shape = gdk_cairo_region_create_from_surface(m_layered);
    gtk_widget_input_shape_combine_region(m_widget, shape);
    cairo_region_destroy(shape);
    gtk_widget_queue_draw(m_widget);
    return true;
}

void GtkWindowSurface::BeginDraw(cairo_t* cr) {
    m_drawContext = cr;
}

void GtkWindowSurface::EndDraw() {
    m_drawContext = nullptr;
}

bool GtkWindowSurface::DrawLayered(cairo_t* cr) {
    if (!m_layered) return false;
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, m_layered, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
    return true;
}

void GtkWindowSurface::DropLayeredPicture() {
    if (m_layered) cairo_surface_destroy(m_layered);
    m_layered = nullptr;
    if (m_widget) {
        gtk_widget_input_shape_combine_region(m_widget, nullptr);
        gtk_widget_queue_draw(m_widget);
    }
}

}  // namespace platform
