#include "platform/Window.h"

#include <gdk/gdkkeysyms.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <map>
#include <set>

#include "platform/MessageLoop.h"
#include "platform/gtk/GtkWindowSurface.h"

// A container that asks for no room: the window's size is whatever the client sets, and child
// controls get exactly the size they are given, as child windows did on the original platform.
typedef struct {
    GtkFixed parent;
} TlvWindowFixed;
typedef struct {
    GtkFixedClass parentClass;
} TlvWindowFixedClass;

G_DEFINE_TYPE(TlvWindowFixed, tlv_window_fixed, GTK_TYPE_FIXED)

static void tlv_window_fixed_no_size(GtkWidget*, gint* minimum, gint* natural) { *minimum = *natural = 0; }

static void tlv_window_fixed_class_init(TlvWindowFixedClass* klass) {
    GtkWidgetClass* widgetClass = GTK_WIDGET_CLASS(klass);
    widgetClass->get_preferred_width = tlv_window_fixed_no_size;
    widgetClass->get_preferred_height = tlv_window_fixed_no_size;
}

static void tlv_window_fixed_init(TlvWindowFixed*) {}

namespace platform {

// The window's surface reports the client size the window was given, which GTK allocates only
// later: a layered window painted right after a resize must be painted at the new size.
class HostSurface : public GtkWindowSurface {
public:
    HostSurface(GtkWidget* widget, Window::Impl& impl) : GtkWindowSurface(widget), m_impl(impl) {}
    int Width() const override;
    int Height() const override;
    bool PushLayered(cairo_surface_t* image) override;

private:
    Window::Impl& m_impl;
};

namespace {

std::uint32_t MapState(guint state) {
    std::uint32_t out = 0;
    if (state & GDK_SHIFT_MASK) out |= InputState::Shift;
    if (state & GDK_CONTROL_MASK) out |= InputState::Control;
    if (state & GDK_MOD1_MASK) out |= InputState::Alt;
    if (state & GDK_BUTTON1_MASK) out |= InputState::LeftButton;
    if (state & GDK_BUTTON2_MASK) out |= InputState::MiddleButton;
    if (state & GDK_BUTTON3_MASK) out |= InputState::RightButton;
    return out;
}

// The client's button for GDK's button number; false for buttons beyond the third.
bool MapButton(guint button, MouseButton& out) {
    switch (button) {
        case 1: out = MouseButton::Left; return true;
        case 2: out = MouseButton::Middle; return true;
        case 3: out = MouseButton::Right; return true;
        default: return false;
    }
}

// The pointer's position (whole pixels, in the window and on the screen) and the modifier state
// of a button or motion event.
template <typename PointerEvent>
void SetPointer(MouseInput& input, const PointerEvent& event) {
    input.x = static_cast<int>(std::floor(event.x));
    input.y = static_cast<int>(std::floor(event.y));
    input.screenX = static_cast<int>(std::floor(event.x_root));
    input.screenY = static_cast<int>(std::floor(event.y_root));
    input.state = MapState(event.state);
}

// The original virtual-key code of a key; 0 for keys the client never asks about.
std::uint32_t VirtualKey(guint keyval) {
    if (keyval >= GDK_KEY_a && keyval <= GDK_KEY_z) return 'A' + (keyval - GDK_KEY_a);
    if (keyval >= GDK_KEY_A && keyval <= GDK_KEY_Z) return 'A' + (keyval - GDK_KEY_A);
    if (keyval >= GDK_KEY_0 && keyval <= GDK_KEY_9) return '0' + (keyval - GDK_KEY_0);
    if (keyval >= GDK_KEY_KP_0 && keyval <= GDK_KEY_KP_9) return 0x60 + (keyval - GDK_KEY_KP_0);
    if (keyval >= GDK_KEY_F1 && keyval <= GDK_KEY_F24) return 0x70 + (keyval - GDK_KEY_F1);
    switch (keyval) {
        case GDK_KEY_BackSpace: return 0x08;
        case GDK_KEY_Tab:
        case GDK_KEY_ISO_Left_Tab: return 0x09;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter: return 0x0D;
        case GDK_KEY_Shift_L:
        case GDK_KEY_Shift_R: return 0x10;
        case GDK_KEY_Control_L:
        case GDK_KEY_Control_R: return 0x11;
        case GDK_KEY_Alt_L:
        case GDK_KEY_Alt_R: return 0x12;
        case GDK_KEY_Pause: return 0x13;
        case GDK_KEY_Caps_Lock: return 0x14;
        case GDK_KEY_Escape: return 0x1B;
        case GDK_KEY_space:
        case GDK_KEY_KP_Space: return 0x20;
        case GDK_KEY_Page_Up:
        case GDK_KEY_KP_Page_Up: return 0x21;
        case GDK_KEY_Page_Down:
        case GDK_KEY_KP_Page_Down: return 0x22;
        case GDK_KEY_End:
        case GDK_KEY_KP_End: return 0x23;
        case GDK_KEY_Home:
        case GDK_KEY_KP_Home: return 0x24;
        case GDK_KEY_Left:
        case GDK_KEY_KP_Left: return 0x25;
        case GDK_KEY_Up:
        case GDK_KEY_KP_Up: return 0x26;
        case GDK_KEY_Right:
        case GDK_KEY_KP_Right: return 0x27;
        case GDK_KEY_Down:
        case GDK_KEY_KP_Down: return 0x28;
        case GDK_KEY_Insert:
        case GDK_KEY_KP_Insert: return 0x2D;
        case GDK_KEY_Delete:
        case GDK_KEY_KP_Delete: return 0x2E;
        case GDK_KEY_Menu: return 0x5D;
        case GDK_KEY_KP_Multiply: return 0x6A;
        case GDK_KEY_KP_Add: return 0x6B;
        case GDK_KEY_KP_Subtract: return 0x6D;
        case GDK_KEY_KP_Decimal: return 0x6E;
        case GDK_KEY_KP_Divide: return 0x6F;
        default: return 0;
    }
}

const char* CursorName(CursorKind cursor) {
    switch (cursor) {
        case CursorKind::Hand: return "pointer";
        case CursorKind::IBeam: return "text";
        case CursorKind::Wait: return "wait";
        case CursorKind::SizeAll: return "move";
        case CursorKind::SizeWE: return "ew-resize";
        case CursorKind::SizeNS: return "ns-resize";
        case CursorKind::SizeNWSE: return "nwse-resize";
        case CursorKind::SizeNESW: return "nesw-resize";
        case CursorKind::None:
        case CursorKind::Arrow:
        default: return "default";
    }
}

bool ResizeEdge(int zone, GdkWindowEdge& edge) {
    switch (zone) {
        case HTLEFT: edge = GDK_WINDOW_EDGE_WEST; return true;
        case HTRIGHT: edge = GDK_WINDOW_EDGE_EAST; return true;
        case HTTOP: edge = GDK_WINDOW_EDGE_NORTH; return true;
        case HTTOPLEFT: edge = GDK_WINDOW_EDGE_NORTH_WEST; return true;
        case HTTOPRIGHT: edge = GDK_WINDOW_EDGE_NORTH_EAST; return true;
        case HTBOTTOM: edge = GDK_WINDOW_EDGE_SOUTH; return true;
        case HTBOTTOMLEFT: edge = GDK_WINDOW_EDGE_SOUTH_WEST; return true;
        case HTBOTTOMRIGHT: edge = GDK_WINDOW_EDGE_SOUTH_EAST; return true;
        default: return false;
    }
}

CursorKind ZoneCursor(int zone) {
    switch (zone) {
        case HTLEFT:
        case HTRIGHT: return CursorKind::SizeWE;
        case HTTOP:
        case HTBOTTOM: return CursorKind::SizeNS;
        case HTTOPLEFT:
        case HTBOTTOMRIGHT: return CursorKind::SizeNWSE;
        case HTTOPRIGHT:
        case HTBOTTOMLEFT: return CursorKind::SizeNESW;
        default: return CursorKind::Arrow;
    }
}

cairo_region_t* ToCairoRegion(const WindowRegion& region) {
    cairo_region_t* out = cairo_region_create();
    for (const WindowRect& r : region.Rects()) {
        cairo_rectangle_int_t rect { r.left, r.top, r.Width(), r.Height() };
        cairo_region_union_rectangle(out, &rect);
    }
    return out;
}

}  // namespace

struct Window::Impl {
    Window* handle { nullptr };
    WindowClient* client { nullptr };
    Impl* parent { nullptr };
    std::vector<Impl*> children;
    // The top-level GtkWindow, or the event box of a child window.
    GtkWidget* widget { nullptr };
    GtkWidget* container { nullptr };
    std::unique_ptr<HostSurface> surface;
    TargetId target { 0 };

    std::string title;
    std::uint32_t style { 0 };
    std::uint32_t exStyle { 0 };
    bool alive { false };
    bool destroying { false };
    // Screen rectangle of a top-level window; parent client rectangle of a child.
    WindowRect rect;
    // Geometries asked of the desktop that it has not confirmed yet, oldest first.
    std::deque<WindowRect> pendingBounds;
    bool minimized { false };
    bool maximized { false };
    bool active { false };

    WindowRegion region;
    bool hasRegion { false };
    std::uint32_t colorKey { 0 };
    std::uint8_t alpha { 255 };
    std::uint32_t layeredFlags { 0 };
    cairo_surface_t* layerBuffer { nullptr };

    std::map<std::uint32_t, guint> timers;
    bool captured { false };
    bool grabbed { false };
    bool trackLeave { false };
    CursorKind cursor { CursorKind::Arrow };

    bool hasLastPress { false };
    bool lastPressWasDouble { false };
    guint lastPressButton { 0 };
    guint32 lastPressTime { 0 };
    double lastPressX { 0 };
    double lastPressY { 0 };
    std::set<guint16> keysDown;

    // Client calls on the stack; the object is deleted only when none is.
    int depth { 0 };
    bool released { false };

    bool IsChild() const { return (style & WS_CHILD) != 0 && parent != nullptr; }
    GdkWindow* OwnGdkWindow() const { return widget ? gtk_widget_get_window(widget) : nullptr; }

    void Connect();
    void ApplyExStyle();
    void ApplyShape();
    void ApplyCursor();
    void ReleaseGrab();
    void KillAllTimers();
    void Teardown(bool tellClient);
    void SetBoundsNow(const WindowRect& r);
    void SizeChanged(int width, int height);
    void Moved(int x, int y);
    int SizeType() const { return minimized ? SIZE_MINIMIZED : maximized ? SIZE_MAXIMIZED : SIZE_RESTORED; }
    void ScreenOrigin(int& x, int& y) const;

    static gboolean OnDraw(GtkWidget*, cairo_t* cr, Impl* self);
    static gboolean OnButtonPress(GtkWidget*, GdkEventButton* event, Impl* self);
    static gboolean OnButtonRelease(GtkWidget*, GdkEventButton* event, Impl* self);
    static gboolean OnMotion(GtkWidget*, GdkEventMotion* event, Impl* self);
    static gboolean OnLeave(GtkWidget*, GdkEventCrossing* event, Impl* self);
    static gboolean OnScroll(GtkWidget*, GdkEventScroll* event, Impl* self);
    static gboolean OnKey(GtkWidget*, GdkEventKey* event, Impl* self);
    static gboolean OnConfigure(GtkWidget*, GdkEventConfigure* event, Impl* self);
    static gboolean OnWindowState(GtkWidget*, GdkEventWindowState* event, Impl* self);
    static gboolean OnDelete(GtkWidget*, GdkEvent*, Impl* self);
    static gboolean OnFocus(GtkWidget*, GdkEventFocus* event, Impl* self);
    static gboolean OnGrabBroken(GtkWidget*, GdkEventGrabBroken* event, Impl* self);
    static void OnRealize(GtkWidget*, Impl* self);
    static gboolean OnTimer(gpointer data);
};

namespace {

// Keeps a window's Impl alive while one of its handlers runs; the last one out deletes an Impl
// whose Window went meanwhile.
class CallScope {
public:
    explicit CallScope(Window::Impl* impl) : m_impl(impl) { ++m_impl->depth; }
    ~CallScope() {
        if (--m_impl->depth == 0 && m_impl->released) delete m_impl;
    }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

private:
    Window::Impl* m_impl;
};

std::vector<Window::Impl*>& TopLevels() {
    static std::vector<Window::Impl*> windows;
    return windows;
}

struct TimerTicket {
    Window::Impl* impl;
    std::uint32_t id;
};

}  // namespace

int HostSurface::Width() const { return m_impl.rect.Width(); }
int HostSurface::Height() const { return m_impl.rect.Height(); }

bool HostSurface::PushLayered(cairo_surface_t* image) {
    bool pushed = GtkWindowSurface::PushLayered(image);
    // The picture sets the input shape from its pixels; a click-through window stays one.
    if (pushed) m_impl.ApplyShape();
    return pushed;
}

// ---- creation and teardown ----

bool Window::OpenDisplay() {
    static bool ready = false;
    if (!ready) ready = gtk_init_check(nullptr, nullptr);
    if (ready) AttachMessageQueueToMainLoop();
    return ready;
}

bool Window::Create(WindowClient& client, const WindowCreateParams& params, std::unique_ptr<Window>& window) {
    window.reset();
    if (!gdk_display_get_default()) return false;
    auto* impl = new Impl();
    impl->client = &client;
    impl->title = params.title;
    impl->style = params.style;
    impl->exStyle = params.exStyle;
    impl->target = params.messageTarget;
    impl->rect = params.rect;
    impl->parent = params.parent ? params.parent->m_impl : nullptr;
    window.reset(new Window(impl));
    impl->handle = window.get();

    impl->container = GTK_WIDGET(g_object_new(tlv_window_fixed_get_type(), nullptr));
    if (impl->IsChild()) {
        impl->widget = gtk_event_box_new();
        gtk_event_box_set_visible_window(GTK_EVENT_BOX(impl->widget), TRUE);
        gtk_widget_set_size_request(impl->widget, std::max(0, params.rect.Width()), std::max(0, params.rect.Height()));
        gtk_fixed_put(GTK_FIXED(impl->parent->container), impl->widget, params.rect.left, params.rect.top);
        impl->parent->children.push_back(impl);
    } else {
        impl->widget = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        GtkWindow* gtkWindow = GTK_WINDOW(impl->widget);
        gtk_window_set_decorated(gtkWindow, FALSE);
        gtk_window_set_title(gtkWindow, params.title.c_str());
        gtk_window_set_default_size(gtkWindow, std::max(1, params.rect.Width()), std::max(1, params.rect.Height()));
        gtk_window_move(gtkWindow, params.rect.left, params.rect.top);
        gtk_window_resize(gtkWindow, std::max(1, params.rect.Width()), std::max(1, params.rect.Height()));
        if (impl->parent) {
            GtkWidget* owner = impl->parent->widget ? gtk_widget_get_toplevel(impl->parent->widget) : nullptr;
            if (owner && GTK_IS_WINDOW(owner)) gtk_window_set_transient_for(gtkWindow, GTK_WINDOW(owner));
        }
        // Per-pixel alpha for layered windows; every window gets the same visual so that it can
        // become layered later.
        GdkScreen* screen = gtk_widget_get_screen(impl->widget);
        if (GdkVisual* visual = gdk_screen_get_rgba_visual(screen)) gtk_widget_set_visual(impl->widget, visual);
        TopLevels().push_back(impl);
    }
    g_object_ref_sink(impl->widget);
    gtk_widget_set_app_paintable(impl->widget, TRUE);
    gtk_widget_add_events(impl->widget, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK |
                                            GDK_LEAVE_NOTIFY_MASK | GDK_ENTER_NOTIFY_MASK | GDK_SCROLL_MASK |
                                            GDK_KEY_PRESS_MASK | GDK_KEY_RELEASE_MASK | GDK_STRUCTURE_MASK |
                                            GDK_FOCUS_CHANGE_MASK);
    gtk_container_add(GTK_CONTAINER(impl->widget), impl->container);
    gtk_widget_show(impl->container);
    impl->surface = std::make_unique<HostSurface>(impl->widget, *impl);
    impl->Connect();
    gtk_widget_realize(impl->widget);
    impl->alive = true;
    impl->ApplyExStyle();

    {
        CallScope scope(impl);
        if (client.OnCreate() == -1) {
            impl->Teardown(false);
            window.reset();
            return false;
        }
    }
    if (!impl->alive) {
        window.reset();
        return false;
    }
    {
        // As on the original platform, the new window hears its size and place after creation.
        CallScope scope(impl);
        impl->SizeChanged(impl->rect.Width(), impl->rect.Height());
        if (impl->alive) impl->Moved(impl->rect.left, impl->rect.top);
    }
    if (!impl->alive) {
        window.reset();
        return false;
    }
    if (impl->style & WS_VISIBLE) window->Show(SW_SHOW);
    return true;
}

Window::~Window() {
    m_impl->client = nullptr;
    m_impl->Teardown(false);
    m_impl->handle = nullptr;
    if (m_impl->depth == 0) {
        delete m_impl;
    } else {
        m_impl->released = true;
    }
}

void Window::Destroy() {
    CallScope scope(m_impl);
    m_impl->Teardown(true);
}

bool Window::IsAlive() const { return m_impl->alive; }

void Window::Impl::Teardown(bool tellClient) {
    if (!alive || destroying) return;
    destroying = true;
    // Children go with their parent, after it has heard of its own end.
    if (tellClient && client) client->OnDestroy();
    for (Impl* child : std::vector<Impl*>(children)) {
        if (child->alive) {
            CallScope scope(child);
            child->Teardown(tellClient);
        }
    }
    KillAllTimers();
    ReleaseGrab();
    captured = false;
    alive = false;
    if (parent) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
    auto& tops = TopLevels();
    tops.erase(std::remove(tops.begin(), tops.end(), this), tops.end());
    if (widget) {
        g_signal_handlers_disconnect_matched(widget, G_SIGNAL_MATCH_DATA, 0, 0, nullptr, nullptr, this);
        surface.reset();
        gtk_widget_destroy(widget);
        g_object_unref(widget);
        widget = nullptr;
        container = nullptr;
    }
    if (layerBuffer) {
        cairo_surface_destroy(layerBuffer);
        layerBuffer = nullptr;
    }
    destroying = false;
}

void Window::Impl::Connect() {
    g_signal_connect(widget, "draw", G_CALLBACK(OnDraw), this);
    g_signal_connect(widget, "button-press-event", G_CALLBACK(OnButtonPress), this);
    g_signal_connect(widget, "button-release-event", G_CALLBACK(OnButtonRelease), this);
    g_signal_connect(widget, "motion-notify-event", G_CALLBACK(OnMotion), this);
    g_signal_connect(widget, "leave-notify-event", G_CALLBACK(OnLeave), this);
    g_signal_connect(widget, "scroll-event", G_CALLBACK(OnScroll), this);
    g_signal_connect(widget, "key-press-event", G_CALLBACK(OnKey), this);
    g_signal_connect(widget, "key-release-event", G_CALLBACK(OnKey), this);
    g_signal_connect(widget, "grab-broken-event", G_CALLBACK(OnGrabBroken), this);
    g_signal_connect(widget, "realize", G_CALLBACK(OnRealize), this);
    if (!IsChild()) {
        g_signal_connect(widget, "configure-event", G_CALLBACK(OnConfigure), this);
        g_signal_connect(widget, "window-state-event", G_CALLBACK(OnWindowState), this);
        g_signal_connect(widget, "delete-event", G_CALLBACK(OnDelete), this);
        g_signal_connect(widget, "focus-in-event", G_CALLBACK(OnFocus), this);
        g_signal_connect(widget, "focus-out-event", G_CALLBACK(OnFocus), this);
    }
}

// ---- styles, shape, cursor ----

std::uint32_t Window::Style() const { return m_impl->style; }
std::uint32_t Window::ExStyle() const { return m_impl->exStyle; }

void Window::SetStyle(std::uint32_t style) { m_impl->style = style; }

void Window::SetExStyle(std::uint32_t exStyle) {
    bool wasLayered = (m_impl->exStyle & WS_EX_LAYERED) != 0;
    m_impl->exStyle = exStyle;
    if (wasLayered && !(exStyle & WS_EX_LAYERED) && m_impl->surface) {
        m_impl->surface->DropLayeredPicture();
        m_impl->layeredFlags = 0;
    }
    if (m_impl->alive) {
        m_impl->ApplyExStyle();
        gtk_widget_queue_draw(m_impl->widget);
    }
}

void Window::Impl::ApplyExStyle() {
    if (!IsChild()) {
        GtkWindow* gtkWindow = GTK_WINDOW(widget);
        gtk_window_set_keep_above(gtkWindow, (exStyle & WS_EX_TOPMOST) != 0);
        // Owned windows and tool windows have no taskbar entry unless they ask for one.
        bool skip = ((exStyle & WS_EX_TOOLWINDOW) != 0 || parent != nullptr) && !(exStyle & WS_EX_APPWINDOW);
        gtk_window_set_skip_taskbar_hint(gtkWindow, skip);
        gtk_window_set_skip_pager_hint(gtkWindow, skip);
    }
    ApplyShape();
}

void Window::Impl::ApplyShape() {
    if (!widget) return;
    cairo_region_t* shape = hasRegion ? ToCairoRegion(region) : nullptr;
    gtk_widget_shape_combine_region(widget, shape);
    if (exStyle & WS_EX_TRANSPARENT) {
        cairo_region_t* none = cairo_region_create();
        gtk_widget_input_shape_combine_region(widget, none);
        cairo_region_destroy(none);
    } else if (!(surface && surface->HasLayeredPicture())) {
        gtk_widget_input_shape_combine_region(widget, shape);
    }
    if (shape) cairo_region_destroy(shape);
}

void Window::SetTitle(const std::string& title) {
    m_impl->title = title;
    if (m_impl->alive && !m_impl->IsChild()) gtk_window_set_title(GTK_WINDOW(m_impl->widget), title.c_str());
}

const std::string& Window::Title() const { return m_impl->title; }

bool Window::SetIconFromFile(const std::string& path) {
    if (!m_impl->alive || m_impl->IsChild()) return false;
    return gtk_window_set_icon_from_file(GTK_WINDOW(m_impl->widget), path.c_str(), nullptr);
}

void Window::SetRegion(const WindowRegion& region) {
    m_impl->region = region;
    m_impl->hasRegion = !region.IsEmpty();
    m_impl->ApplyShape();
}

void Window::ClearRegion() {
    m_impl->region = WindowRegion();
    m_impl->hasRegion = false;
    m_impl->ApplyShape();
}

bool Window::HasRegion() const { return m_impl->hasRegion; }
const WindowRegion& Window::Region() const { return m_impl->region; }

void Window::SetLayeredAttributes(std::uint32_t colorKey, std::uint8_t alpha, std::uint32_t flags) {
    m_impl->colorKey = colorKey;
    m_impl->alpha = alpha;
    m_impl->layeredFlags = flags & (LWA_COLORKEY | LWA_ALPHA);
    // Attributes and pushed pictures exclude each other, as they did.
    if (m_impl->surface) m_impl->surface->DropLayeredPicture();
    m_impl->ApplyShape();
    if (m_impl->alive) gtk_widget_queue_draw(m_impl->widget);
}

CursorKind Window::SetCursor(CursorKind cursor) {
    CursorKind previous = m_impl->cursor;
    if (cursor == CursorKind::None) return previous;
    if (cursor != previous) {
        m_impl->cursor = cursor;
        m_impl->ApplyCursor();
    }
    return previous;
}

CursorKind Window::Cursor() const { return m_impl->cursor; }

void Window::Impl::ApplyCursor() {
    GdkWindow* gdkWindow = OwnGdkWindow();
    if (!gdkWindow) return;
    GdkDisplay* display = gdk_window_get_display(gdkWindow);
    static std::map<std::pair<GdkDisplay*, CursorKind>, GdkCursor*> cursors;  // kept for the process
    auto key = std::make_pair(display, cursor);
    auto found = cursors.find(key);
    if (found == cursors.end()) {
        GdkCursor* made = gdk_cursor_new_from_name(display, CursorName(cursor));
        if (!made) made = gdk_cursor_new_for_display(display, GDK_LEFT_PTR);
        found = cursors.emplace(key, made).first;
    }
    gdk_window_set_cursor(gdkWindow, found->second);
}

void Window::Impl::OnRealize(GtkWidget*, Impl* self) {
    self->ApplyCursor();
    self->ApplyShape();
}

// ---- showing and geometry ----

void Window::Show(int command) {
    Impl* impl = m_impl;
    if (!impl->alive) return;
    CallScope scope(impl);
    GtkWidget* widget = impl->widget;
    if (impl->IsChild()) {
        if (command == SW_HIDE) {
            gtk_widget_hide(widget);
        } else {
            gtk_widget_show(widget);
        }
        return;
    }
    GtkWindow* gtkWindow = GTK_WINDOW(widget);
    switch (command) {
        case SW_HIDE: gtk_widget_hide(widget); break;
        case SW_SHOWNOACTIVATE:
        case SW_SHOWNA:
            gtk_window_set_focus_on_map(gtkWindow, FALSE);
            gtk_widget_show(widget);
            gtk_window_set_focus_on_map(gtkWindow, TRUE);
            break;
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
            gtk_widget_show(widget);
            gtk_window_iconify(gtkWindow);
            break;
        case SW_SHOWMAXIMIZED:
            gtk_widget_show(widget);
            gtk_window_maximize(gtkWindow);
            break;
        case SW_RESTORE:
            if (impl->minimized) {
                gtk_window_deiconify(gtkWindow);
            } else if (impl->maximized) {
                gtk_window_unmaximize(gtkWindow);
            }
            gtk_widget_show(widget);
            break;
        case SW_SHOWNORMAL:
            if (impl->minimized) gtk_window_deiconify(gtkWindow);
            if (impl->maximized) gtk_window_unmaximize(gtkWindow);
            gtk_widget_show(widget);
            break;
        case SW_SHOW:
        default:
            if (impl->minimized) gtk_window_deiconify(gtkWindow);
            gtk_widget_show(widget);
            break;
    }
}

bool Window::IsVisible() const { return m_impl->alive && gtk_widget_get_visible(m_impl->widget); }
bool Window::IsMinimized() const { return m_impl->minimized; }
bool Window::IsMaximized() const { return m_impl->maximized; }
bool Window::IsActive() const { return m_impl->active; }

void Window::BringToFront() {
    if (!m_impl->alive) return;
    if (m_impl->IsChild()) {
        gtk_widget_grab_focus(m_impl->widget);
        return;
    }
    gtk_widget_show(m_impl->widget);
    gtk_window_present(GTK_WINDOW(m_impl->widget));
}

WindowRect Window::Bounds() const { return m_impl->rect; }
int Window::ClientWidth() const { return m_impl->rect.Width(); }
int Window::ClientHeight() const { return m_impl->rect.Height(); }

void Window::SetBounds(const WindowRect& rect) {
    if (!m_impl->alive) return;
    CallScope scope(m_impl);
    m_impl->SetBoundsNow(rect);
}

void Window::Impl::SetBoundsNow(const WindowRect& r) {
    WindowRect old = rect;
    WindowRect wanted { r.left, r.top, r.left + std::max(0, r.Width()), r.top + std::max(0, r.Height()) };
    // Asking for the current geometry changes nothing, and the desktop may not answer it.
    if (wanted == old) return;
    if (IsChild()) {
        gtk_fixed_move(GTK_FIXED(parent->container), widget, wanted.left, wanted.top);
        gtk_widget_set_size_request(widget, wanted.Width(), wanted.Height());
    } else {
        GtkWindow* gtkWindow = GTK_WINDOW(widget);
        gtk_window_move(gtkWindow, wanted.left, wanted.top);
        // The desktop cannot show an empty window; the client still sees the size it asked for.
        gtk_window_resize(gtkWindow, std::max(1, wanted.Width()), std::max(1, wanted.Height()));
        pendingBounds.push_back(wanted);
        if (pendingBounds.size() > 32) pendingBounds.pop_front();
    }
    rect = wanted;
    if (old.left != wanted.left || old.top != wanted.top) Moved(wanted.left, wanted.top);
    if (alive && (old.Width() != wanted.Width() || old.Height() != wanted.Height()))
        SizeChanged(wanted.Width(), wanted.Height());
}

void Window::Impl::SizeChanged(int width, int height) {
    if (client) client->OnSize(SizeType(), width, height);
}

void Window::Impl::Moved(int x, int y) {
    if (!client) return;
    int screenX = x, screenY = y;
    if (IsChild()) {
        parent->ScreenOrigin(screenX, screenY);
        screenX += x;
        screenY += y;
    }
    client->OnMove(screenX, screenY);
}

void Window::Impl::ScreenOrigin(int& x, int& y) const {
    if (IsChild()) {
        parent->ScreenOrigin(x, y);
        x += rect.left;
        y += rect.top;
    } else {
        x = rect.left;
        y = rect.top;
    }
}

void Window::ClientToScreen(int& x, int& y) const {
    int ox = 0, oy = 0;
    m_impl->ScreenOrigin(ox, oy);
    x += ox;
    y += oy;
}

void Window::ScreenToClient(int& x, int& y) const {
    int ox = 0, oy = 0;
    m_impl->ScreenOrigin(ox, oy);
    x -= ox;
    y -= oy;
}

gboolean Window::Impl::OnConfigure(GtkWidget*, GdkEventConfigure* event, Impl* self) {
    if (!self->alive) return FALSE;
    CallScope scope(self);
    WindowRect now { event->x, event->y, event->x + event->width, event->y + event->height };
    // The desktop answers our own requests in order: an answer to an older one is stale (a newer
    // request is on its way), the answer to the latest changes nothing. Anything else is the
    // desktop's own doing (a move or resize by the user, maximising).
    auto& pending = self->pendingBounds;
    for (auto it = pending.begin(); it != pending.end(); ++it) {
        bool samePlace = it->left == now.left && it->top == now.top;
        bool sameSize = it->Width() == now.Width() || (it->Width() <= 0 && now.Width() == 1);
        sameSize = sameSize && (it->Height() == now.Height() || (it->Height() <= 0 && now.Height() == 1));
        if (samePlace && sameSize) {
            pending.erase(pending.begin(), it + 1);
            return FALSE;
        }
    }
    // The desktop's own geometry settles every request before it.
    pending.clear();
    WindowRect old = self->rect;
    self->rect = now;
    if (old.left != now.left || old.top != now.top) self->Moved(now.left, now.top);
    if (self->alive && (old.Width() != now.Width() || old.Height() != now.Height()))
        self->SizeChanged(now.Width(), now.Height());
    return FALSE;
}

gboolean Window::Impl::OnWindowState(GtkWidget*, GdkEventWindowState* event, Impl* self) {
    if (!self->alive) return FALSE;
    CallScope scope(self);
    bool wasMinimized = self->minimized;
    bool wasMaximized = self->maximized;
    self->minimized = (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
    self->maximized = (event->new_window_state & GDK_WINDOW_STATE_MAXIMIZED) != 0;
    if ((wasMinimized != self->minimized || wasMaximized != self->maximized) && self->client)
        self->client->OnSize(self->SizeType(), self->rect.Width(), self->rect.Height());
    return FALSE;
}

gboolean Window::Impl::OnDelete(GtkWidget*, GdkEvent*, Impl* self) {
    if (!self->alive) return TRUE;
    CallScope scope(self);
    if (self->client) self->client->OnClose();
    return TRUE;  // the client decides whether the window goes
}

gboolean Window::Impl::OnFocus(GtkWidget*, GdkEventFocus* event, Impl* self) {
    if (!self->alive) return FALSE;
    CallScope scope(self);
    self->active = event->in != 0;
    if (self->client) self->client->OnActivate(self->active);
    return FALSE;
}

// ---- painting ----

WindowSurface& Window::Surface() { return *m_impl->surface; }

void Window::Invalidate(const WindowRect* area) {
    if (!m_impl->alive) return;
    if (!area) {
        gtk_widget_queue_draw(m_impl->widget);
    } else if (!area->IsEmpty()) {
        gtk_widget_queue_draw_area(m_impl->widget, area->left, area->top, area->Width(), area->Height());
    }
}

gboolean Window::Impl::OnDraw(GtkWidget*, cairo_t* cr, Impl* self) {
    if (!self->alive || !self->surface) return FALSE;
    CallScope scope(self);
    // Returning FALSE lets GTK draw the child controls over the picture.
    if (self->surface->DrawLayered(cr)) return FALSE;
    GdkRectangle clip;
    if (!gdk_cairo_get_clip_rectangle(cr, &clip)) return FALSE;
    WindowRect area { clip.x, clip.y, clip.x + clip.width, clip.y + clip.height };
    bool layered = (self->exStyle & WS_EX_LAYERED) != 0;
    if (layered && self->layeredFlags == 0) {
        // A layered window shows nothing until a picture is pushed or attributes are set.
        cairo_save(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
        cairo_paint(cr);
        cairo_restore(cr);
        return FALSE;
    }
    if (!self->client) return FALSE;
    if (!layered) {
        self->surface->BeginDraw(cr);
        self->client->OnPaint(*self->surface, area);
        if (self->surface) self->surface->EndDraw();
        return FALSE;
    }

    // Colour key and constant alpha: paint into a picture of our own, then turn the key colour
    // transparent and scale everything else by the alpha.
    int width = std::max(1, self->rect.Width());
    int height = std::max(1, self->rect.Height());
    if (!self->layerBuffer || cairo_image_surface_get_width(self->layerBuffer) != width ||
        cairo_image_surface_get_height(self->layerBuffer) != height) {
        if (self->layerBuffer) cairo_surface_destroy(self->layerBuffer);
        self->layerBuffer = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    }
    cairo_t* layer = cairo_create(self->layerBuffer);
    cairo_rectangle(layer, area.left, area.top, area.Width(), area.Height());
    cairo_clip(layer);
    self->surface->BeginDraw(layer);
    self->client->OnPaint(*self->surface, area);
    if (self->surface) self->surface->EndDraw();
    cairo_destroy(layer);
    if (!self->alive) return FALSE;

    cairo_surface_flush(self->layerBuffer);
    unsigned char* data = cairo_image_surface_get_data(self->layerBuffer);
    int stride = cairo_image_surface_get_stride(self->layerBuffer);
    // The key is written 0x00BBGGRR; pixels are 0xAARRGGBB.
    std::uint32_t key = ((self->colorKey & 0xFF) << 16) | (self->colorKey & 0xFF00) | ((self->colorKey >> 16) & 0xFF);
    bool useKey = (self->layeredFlags & LWA_COLORKEY) != 0;
    std::uint32_t a = (self->layeredFlags & LWA_ALPHA) ? self->alpha : 255;
    int x0 = std::max(0, area.left), x1 = std::min(width, area.right);
    int y0 = std::max(0, area.top), y1 = std::min(height, area.bottom);
    for (int y = y0; y < y1; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
        for (int x = x0; x < x1; ++x) {
            std::uint32_t p = row[x];
            if (useKey && (p & 0x00FFFFFFu) == key) {
                row[x] = 0;
            } else if (a != 255) {
                std::uint32_t pa = ((p >> 24) * a + 127) / 255;
                std::uint32_t pr = (((p >> 16) & 0xFF) * a + 127) / 255;
                std::uint32_t pg = (((p >> 8) & 0xFF) * a + 127) / 255;
                std::uint32_t pb = ((p & 0xFF) * a + 127) / 255;
                row[x] = (pa << 24) | (pr << 16) | (pg << 8) | pb;
            }
        }
    }
    cairo_surface_mark_dirty(self->layerBuffer);
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, self->layerBuffer, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
    return FALSE;
}

// ---- mouse and keyboard ----

gboolean Window::Impl::OnButtonPress(GtkWidget*, GdkEventButton* event, Impl* self) {
    // Child controls keep their own clicks, as child windows did.
    if (!self->alive || event->window != self->OwnGdkWindow()) return FALSE;
    // GDK's own double and triple presses repeat presses already seen: the pair is made below.
    if (event->type != GDK_BUTTON_PRESS) return TRUE;
    MouseInput input;
    if (!MapButton(event->button, input.button)) return FALSE;
    CallScope scope(self);
    SetPointer(input, *event);

    GtkSettings* settings = gtk_widget_get_settings(self->widget);
    gint doubleTime = 400, doubleDistance = 5;
    g_object_get(settings, "gtk-double-click-time", &doubleTime, "gtk-double-click-distance", &doubleDistance,
                 nullptr);
    input.doubleClick = self->hasLastPress && !self->lastPressWasDouble && self->lastPressButton == event->button &&
                        event->time - self->lastPressTime <= static_cast<guint32>(doubleTime) &&
                        std::abs(event->x_root - self->lastPressX) <= doubleDistance &&
                        std::abs(event->y_root - self->lastPressY) <= doubleDistance;
    self->hasLastPress = true;
    self->lastPressWasDouble = input.doubleClick;
    self->lastPressButton = event->button;
    self->lastPressTime = event->time;
    self->lastPressX = event->x_root;
    self->lastPressY = event->y_root;

    if (!self->client) return TRUE;
    int zone = (self->captured || self->IsChild()) ? HTCLIENT : self->client->OnHitTest(input.x, input.y);
    if (zone == HTCLIENT) {
        self->client->OnMouseDown(input);
        return TRUE;
    }
    if (self->client->OnNcMouseDown(zone, input) || !self->alive) return TRUE;
    if (input.button != MouseButton::Left) return TRUE;
    GtkWindow* gtkWindow = GTK_WINDOW(self->widget);
    if (zone == HTCAPTION) {
        if (input.doubleClick) {
            if (self->style & WS_MAXIMIZEBOX) {
                if (self->maximized) {
                    gtk_window_unmaximize(gtkWindow);
                } else {
                    gtk_window_maximize(gtkWindow);
                }
            }
        } else {
            gtk_window_begin_move_drag(gtkWindow, event->button, input.screenX, input.screenY, event->time);
        }
        return TRUE;
    }
    GdkWindowEdge edge;
    if (!input.doubleClick && (self->style & WS_THICKFRAME) && ResizeEdge(zone, edge))
        gtk_window_begin_resize_drag(gtkWindow, edge, event->button, input.screenX, input.screenY, event->time);
    return TRUE;
}

gboolean Window::Impl::OnButtonRelease(GtkWidget*, GdkEventButton* event, Impl* self) {
    if (!self->alive || event->window != self->OwnGdkWindow()) return FALSE;
    MouseInput input;
    if (!MapButton(event->button, input.button)) return FALSE;
    CallScope scope(self);
    SetPointer(input, *event);
    if (!self->client) return TRUE;
    // Without capture, a release over another zone is not the client's.
    if (!self->captured && !self->IsChild()) {
        bool inside = input.x >= 0 && input.y >= 0 && input.x < self->rect.Width() && input.y < self->rect.Height();
        if (inside && self->client->OnHitTest(input.x, input.y) != HTCLIENT) return TRUE;
    }
    self->client->OnMouseUp(input);
    return TRUE;
}

gboolean Window::Impl::OnMotion(GtkWidget*, GdkEventMotion* event, Impl* self) {
    if (!self->alive || event->window != self->OwnGdkWindow()) return FALSE;
    CallScope scope(self);
    MouseInput input;
    SetPointer(input, *event);
    if (!self->client) return TRUE;
    int zone = (self->captured || self->IsChild()) ? HTCLIENT : self->client->OnHitTest(input.x, input.y);
    if (zone != HTCLIENT) {
        // Leaving the client area for the caption or a border counts as leaving.
        if (self->trackLeave) {
            self->trackLeave = false;
            self->client->OnMouseLeave();
            if (!self->alive) return TRUE;
        }
        bool resizable = (self->style & WS_THICKFRAME) != 0;
        CursorKind shape = resizable ? ZoneCursor(zone) : CursorKind::Arrow;
        if (shape != self->cursor) {
            self->cursor = shape;
            self->ApplyCursor();
        }
        return TRUE;
    }
    self->client->OnSetCursor(HTCLIENT);
    if (!self->alive || !self->client) return TRUE;
    self->client->OnMouseMove(input);
    return TRUE;
}

gboolean Window::Impl::OnLeave(GtkWidget*, GdkEventCrossing* event, Impl* self) {
    if (!self->alive || event->window != self->OwnGdkWindow()) return FALSE;
    // Crossings made by grabs starting are not the mouse moving; while captured the window
    // keeps the mouse.
    if (event->mode == GDK_CROSSING_GRAB || self->captured) return FALSE;
    if (!self->trackLeave || !self->client) return FALSE;
    CallScope scope(self);
    self->trackLeave = false;
    self->client->OnMouseLeave();
    return FALSE;
}

gboolean Window::Impl::OnScroll(GtkWidget*, GdkEventScroll* event, Impl* self) {
    if (!self->alive || event->window != self->OwnGdkWindow() || !self->client) return FALSE;
    int delta = 0;
    if (event->direction == GDK_SCROLL_UP) delta = 120;
    if (event->direction == GDK_SCROLL_DOWN) delta = -120;
    if (event->direction == GDK_SCROLL_SMOOTH) delta = static_cast<int>(std::lround(-event->delta_y * 120));
    if (delta == 0) return TRUE;
    CallScope scope(self);
    self->client->OnMouseWheel(static_cast<int>(event->x_root), static_cast<int>(event->y_root), delta,
                               MapState(event->state));
    return TRUE;
}

gboolean Window::Impl::OnKey(GtkWidget*, GdkEventKey* event, Impl* self) {
    if (!self->alive || !self->client || self->IsChild()) return FALSE;
    // A child control with the keyboard (a web page) gets its keys itself.
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(self->widget));
    if (focus && focus != self->widget) return FALSE;
    CallScope scope(self);
    KeyInput input;
    input.keyCode = VirtualKey(event->keyval);
    input.state = MapState(event->state);
    guint16 code = event->hardware_keycode;
    std::uint32_t scan = code >= 8 ? code - 8u : 0u;
    if (event->type == GDK_KEY_PRESS) {
        bool repeat = !self->keysDown.insert(code).second;
        input.keyFlags = ((scan & 0xFF) << 16) | (repeat ? (1u << 30) : 0u);
        self->client->OnKeyDown(input);
    } else {
        self->keysDown.erase(code);
        input.keyFlags = ((scan & 0xFF) << 16) | (1u << 30) | (1u << 31);
        self->client->OnKeyUp(input);
    }
    return TRUE;
}

gboolean Window::Impl::OnGrabBroken(GtkWidget*, GdkEventGrabBroken*, Impl* self) {
    if (!self->alive || !self->captured) return FALSE;
    CallScope scope(self);
    self->captured = false;
    self->grabbed = false;
    if (self->client) self->client->OnCaptureLost();
    return FALSE;
}

void Window::SetCapture() {
    Impl* impl = m_impl;
    if (!impl->alive || impl->captured) return;
    impl->captured = true;
    GdkWindow* gdkWindow = impl->OwnGdkWindow();
    if (!gdkWindow || !gdk_window_is_visible(gdkWindow)) return;
    GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(gdkWindow));
    impl->grabbed = gdk_seat_grab(seat, gdkWindow, GDK_SEAT_CAPABILITY_ALL_POINTING, FALSE, nullptr, nullptr,
                                  nullptr, nullptr) == GDK_GRAB_SUCCESS;
}

void Window::ReleaseCapture() {
    m_impl->captured = false;
    m_impl->ReleaseGrab();
}

void Window::Impl::ReleaseGrab() {
    if (!grabbed) return;
    grabbed = false;
    if (GdkWindow* gdkWindow = OwnGdkWindow()) gdk_seat_ungrab(gdk_display_get_default_seat(gdk_window_get_display(gdkWindow)));
}

bool Window::HasCapture() const { return m_impl->captured; }

void Window::RequestMouseLeave() { m_impl->trackLeave = true; }

// ---- timers ----

void Window::SetTimer(std::uint32_t id, std::uint32_t milliseconds) {
    if (!m_impl->alive) return;
    KillTimer(id);
    auto* ticket = new TimerTicket { m_impl, id };
    guint source = g_timeout_add_full(G_PRIORITY_DEFAULT, milliseconds, &Impl::OnTimer, ticket,
                                      [](gpointer data) { delete static_cast<TimerTicket*>(data); });
    m_impl->timers[id] = source;
}

void Window::KillTimer(std::uint32_t id) {
    auto found = m_impl->timers.find(id);
    if (found == m_impl->timers.end()) return;
    g_source_remove(found->second);
    m_impl->timers.erase(found);
}

void Window::Impl::KillAllTimers() {
    for (auto& [id, source] : timers) g_source_remove(source);
    timers.clear();
}

gboolean Window::Impl::OnTimer(gpointer data) {
    auto* ticket = static_cast<TimerTicket*>(data);
    Impl* self = ticket->impl;
    std::uint32_t id = ticket->id;
    // Killing the timer inside its own handler removes this source; GLib keeps the ticket until
    // the handler returns.
    CallScope scope(self);
    if (self->client && self->alive) self->client->OnTimer(id);
    return G_SOURCE_CONTINUE;
}

// ---- the rest ----

WindowClient* Window::Client() const { return m_impl->client; }
Window* Window::Parent() const { return m_impl->parent ? m_impl->parent->handle : nullptr; }

std::vector<Window*> Window::Children() const {
    std::vector<Window*> children;
    for (Impl* child : m_impl->children) {
        if (child->alive && child->handle) children.push_back(child->handle);
    }
    return children;
}
void* Window::NativeContainer() const { return m_impl->container; }
void* Window::NativeWindow() const { return m_impl->widget; }

TargetId Window::FindTopLevel(const std::string& title) {
    for (Impl* impl : TopLevels()) {
        if (impl->alive && impl->title == title && impl->target != 0) return impl->target;
    }
    return 0;
}

bool Window::CursorScreenPosition(int& x, int& y) {
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return false;
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(display));
    if (!pointer) return false;
    gdk_device_get_position(pointer, nullptr, &x, &y);
    return true;
}

namespace {

WindowRect WorkArea(GdkMonitor* monitor) {
    if (!monitor) return {};
    GdkRectangle area;
    gdk_monitor_get_workarea(monitor, &area);
    return { area.x, area.y, area.x + area.width, area.y + area.height };
}

}  // namespace

WindowRect Window::WorkAreaAt(int x, int y) {
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return {};
    return WorkArea(gdk_display_get_monitor_at_point(display, x, y));
}

WindowRect Window::PrimaryWorkArea() {
    GdkDisplay* display = gdk_display_get_default();
    if (!display) return {};
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor && gdk_display_get_n_monitors(display) > 0) monitor = gdk_display_get_monitor(display, 0);
    return WorkArea(monitor);
}

}  // namespace platform
