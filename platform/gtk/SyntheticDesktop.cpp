// First: its platform/Window.h must come before the X headers, whose macros (None) collide with
// our names.
#include "platform/SyntheticDesktop.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <vector>

#include "platform/gtk/SyntheticXDisplay.h"

namespace platform::synthetic {
namespace {

std::string WindowTitle(Display* display, ::Window window) {
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
        return title;
    }
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

// The window and, below it, its children (a window manager puts the client inside a frame).
std::optional<WindowRect> Search(Display* display, ::Window window, const std::string& title, int depth) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return std::nullopt;
    if (attributes.map_state == IsViewable && WindowTitle(display, window) == title) {
        int x = 0, y = 0;
        ::Window child;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
        return WindowRect { x, y, x + attributes.width, y + attributes.height };
    }
    if (depth >= 2) return std::nullopt;
    ::Window root = 0, parent = 0;
    ::Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return std::nullopt;
    std::vector<::Window> list(children, children + count);
    if (children) XFree(children);
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        if (auto found = Search(display, *it, title, depth + 1)) return found;
    }
    return std::nullopt;
}

bool SendKey(const std::string& keysym, bool down) {
    Display* display = XDisplay();
    if (!display) return false;
    KeySym sym = XStringToKeysym(keysym.c_str());
    if (sym == NoSymbol) return false;
    KeyCode code = XKeysymToKeycode(display, sym);
    if (code == 0) return false;
    XTestFakeKeyEvent(display, code, down ? True : False, CurrentTime);
    XFlush(display);
    return true;
}

}  // namespace

std::optional<WindowRect> FindDesktopWindow(const std::string& title) {
    Display* display = XDisplay();
    if (!display) return std::nullopt;
    XSync(display, False);
    return Search(display, DefaultRootWindow(display), title, 0);
}

bool KeyDown(const std::string& keysym) { return SendKey(keysym, true); }
bool KeyUp(const std::string& keysym) { return SendKey(keysym, false); }

bool TypeKey(const std::string& keysym, std::initializer_list<const char*> modifiers) {
    bool ok = true;
    for (const char* modifier : modifiers) ok = KeyDown(modifier) && ok;
    ok = KeyDown(keysym) && ok;
    ok = KeyUp(keysym) && ok;
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it) ok = KeyUp(*it) && ok;
    return ok;
}

std::optional<std::uint32_t> ReadScreenPixel(int x, int y) {
    GdkWindow* root = gdk_get_default_root_window();
    if (!root || x < 0 || y < 0 || x >= gdk_window_get_width(root) || y >= gdk_window_get_height(root))
        return std::nullopt;
    GdkPixbuf* pixbuf = gdk_pixbuf_get_from_window(root, x, y, 1, 1);
    if (!pixbuf) return std::nullopt;
    const guchar* p = gdk_pixbuf_get_pixels(pixbuf);
    const std::uint32_t rgb =
        static_cast<std::uint32_t>(p[0]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[2];
    g_object_unref(pixbuf);
    return 0xFF000000u | rgb;
}

bool SaveScreenshot(const std::string& path) {
    GdkWindow* root = gdk_get_default_root_window();
    if (!root) return false;
    GdkPixbuf* pixbuf =
        gdk_pixbuf_get_from_window(root, 0, 0, gdk_window_get_width(root), gdk_window_get_height(root));
    if (!pixbuf) return false;
    const bool saved = gdk_pixbuf_save(pixbuf, path.c_str(), "png", nullptr, nullptr);
    g_object_unref(pixbuf);
    return saved;
}

}  // namespace platform::synthetic
