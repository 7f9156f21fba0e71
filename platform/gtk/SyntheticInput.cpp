#include "platform/SyntheticInput.h"

// Before the X headers: they define macros (None) that collide with our names.
#include "platform/MessageLoop.h"
#include "platform/Window.h"

#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

#include "platform/gtk/SyntheticXDisplay.h"

namespace platform::synthetic {

Display* XDisplay() {
    GdkDisplay* display = gdk_display_get_default();
    if (!display || !GDK_IS_X11_DISPLAY(display)) return nullptr;
    return gdk_x11_display_get_xdisplay(display);
}

bool Available() {
    Display* display = XDisplay();
    if (!display) return false;
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    return XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor);
}

const char* WhyUnusable() {
    const char* display = g_getenv("DISPLAY");
    if (!display || !*display) return "needs a display (the test run uses xvfb-run)";
    if (!Window::OpenDisplay()) return "the display cannot be opened";
    if (!Available()) return "the display takes no synthetic input";
    return nullptr;
}

ExclusiveUse::ExclusiveUse() {
    const char* display = g_getenv("DISPLAY");
    std::string name = std::string("tlv-display-") + (display ? display : "none") + ".lock";
    for (char& c : name) {
        if (c == '/' || c == ':') c = '_';
    }
    char* path = g_build_filename(g_get_tmp_dir(), name.c_str(), nullptr);
    m_fd = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    g_free(path);
    if (m_fd >= 0) flock(m_fd, LOCK_EX);
}

ExclusiveUse::~ExclusiveUse() {
    if (m_fd >= 0) close(m_fd);  // closing releases the lock
}

void MoveTo(int x, int y) {
    if (Display* display = XDisplay()) {
        XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
        XFlush(display);
    }
}

void Press(int button) {
    if (Display* display = XDisplay()) {
        XTestFakeButtonEvent(display, static_cast<unsigned>(button), True, CurrentTime);
        XFlush(display);
    }
}

void Release(int button) {
    if (Display* display = XDisplay()) {
        XTestFakeButtonEvent(display, static_cast<unsigned>(button), False, CurrentTime);
        XFlush(display);
    }
}

std::optional<std::uint32_t> ReadWindowPixel(const Window& window, int x, int y) {
    auto* widget = static_cast<GtkWidget*>(window.NativeWindow());
    GdkWindow* gdkWindow = widget ? gtk_widget_get_window(widget) : nullptr;
    if (!gdkWindow || !gdk_window_is_viewable(gdkWindow)) return std::nullopt;
    if (x < 0 || y < 0 || x >= gdk_window_get_width(gdkWindow) || y >= gdk_window_get_height(gdkWindow))
        return std::nullopt;
    GdkPixbuf* pixbuf = gdk_pixbuf_get_from_window(gdkWindow, x, y, 1, 1);
    if (!pixbuf) return std::nullopt;
    const guchar* p = gdk_pixbuf_get_pixels(pixbuf);
    std::uint32_t alpha = gdk_pixbuf_get_has_alpha(pixbuf) ? p[3] : 0xFF;
    std::uint32_t argb = alpha << 24 | static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2];
    g_object_unref(pixbuf);
    return argb;
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    // A short heartbeat wakes the blocking iteration so the predicate is checked regularly.
    guint heartbeat = g_timeout_add(5, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr);
    bool result = false;
    for (;;) {
        PumpPendingMessages();
        if (done()) {
            result = true;
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) break;
        g_main_context_iteration(nullptr, TRUE);
    }
    g_source_remove(heartbeat);
    return result;
}

}  // namespace platform::synthetic
