#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/MessageQueue.h"

namespace platform {

class Window;
class WindowSurface;

// The window vocabulary of the original platform, kept with its values so that the callers'
// numbers read as they did there.

// Window styles. Honoured here: WS_POPUP and WS_CHILD (no decoration either way), WS_VISIBLE,
// WS_THICKFRAME (the resize zones work), WS_MAXIMIZEBOX (a double click on the caption
// maximises). The others are kept and reported back but change nothing.
constexpr std::uint32_t WS_OVERLAPPED = 0x00000000u;
constexpr std::uint32_t WS_POPUP = 0x80000000u;
constexpr std::uint32_t WS_CHILD = 0x40000000u;
constexpr std::uint32_t WS_MINIMIZE = 0x20000000u;
constexpr std::uint32_t WS_VISIBLE = 0x10000000u;
constexpr std::uint32_t WS_DISABLED = 0x08000000u;
constexpr std::uint32_t WS_CLIPSIBLINGS = 0x04000000u;
constexpr std::uint32_t WS_CLIPCHILDREN = 0x02000000u;
constexpr std::uint32_t WS_MAXIMIZE = 0x01000000u;
constexpr std::uint32_t WS_CAPTION = 0x00C00000u;
constexpr std::uint32_t WS_BORDER = 0x00800000u;
constexpr std::uint32_t WS_DLGFRAME = 0x00400000u;
constexpr std::uint32_t WS_SYSMENU = 0x00080000u;
constexpr std::uint32_t WS_THICKFRAME = 0x00040000u;
constexpr std::uint32_t WS_MINIMIZEBOX = 0x00020000u;
constexpr std::uint32_t WS_MAXIMIZEBOX = 0x00010000u;

// Extended styles. Honoured: topmost (kept above), transparent (clicks pass through), tool
// window (no taskbar entry), application window (a taskbar entry even when owned), layered.
constexpr std::uint32_t WS_EX_TOPMOST = 0x00000008u;
constexpr std::uint32_t WS_EX_TRANSPARENT = 0x00000020u;
constexpr std::uint32_t WS_EX_TOOLWINDOW = 0x00000080u;
constexpr std::uint32_t WS_EX_WINDOWEDGE = 0x00000100u;
constexpr std::uint32_t WS_EX_CLIENTEDGE = 0x00000200u;
constexpr std::uint32_t WS_EX_APPWINDOW = 0x00040000u;
constexpr std::uint32_t WS_EX_LAYERED = 0x00080000u;

// Hit-test zones a window answers for a point of its client area.
constexpr int HTTRANSPARENT = -1;
constexpr int HTNOWHERE = 0;
constexpr int HTCLIENT = 1;
constexpr int HTCAPTION = 2;
constexpr int HTLEFT = 10;
constexpr int HTRIGHT = 11;
constexpr int HTTOP = 12;
constexpr int HTTOPLEFT = 13;
constexpr int HTTOPRIGHT = 14;
constexpr int HTBOTTOM = 15;
constexpr int HTBOTTOMLEFT = 16;
constexpr int HTBOTTOMRIGHT = 17;

// Messages a window understands when they are posted to it.
constexpr std::uint32_t WM_CLOSE = 0x0010;
constexpr std::uint32_t WM_SYSCOMMAND = 0x0112;

// System commands (WM_SYSCOMMAND's wParam; the low four bits are ignored).
constexpr std::uint32_t SC_SIZE = 0xF000;
constexpr std::uint32_t SC_MOVE = 0xF010;
constexpr std::uint32_t SC_MINIMIZE = 0xF020;
constexpr std::uint32_t SC_MAXIMIZE = 0xF030;
constexpr std::uint32_t SC_CLOSE = 0xF060;
constexpr std::uint32_t SC_RESTORE = 0xF120;

// Show commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;

// Size message kinds.
constexpr int SIZE_RESTORED = 0;
constexpr int SIZE_MINIMIZED = 1;
constexpr int SIZE_MAXIMIZED = 2;

// Layered-window attribute flags.
constexpr std::uint32_t LWA_COLORKEY = 0x1;
constexpr std::uint32_t LWA_ALPHA = 0x2;

// Left and top inside, right and bottom outside.
struct WindowRect {
    int left { 0 };
    int top { 0 };
    int right { 0 };
    int bottom { 0 };

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr bool IsEmpty() const { return right <= left || bottom <= top; }
    constexpr bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    friend constexpr bool operator==(const WindowRect&, const WindowRect&) = default;
};

// A window shape: the union of its rectangles, in client coordinates.
class WindowRegion {
public:
    WindowRegion() = default;
    static WindowRegion FromRect(const WindowRect& rect);
    // The rectangle with its four corners cut round by an ellipse of the given size, row by row
    // as the original platform's rounded region was (right and bottom edges outside).
    static WindowRegion RoundRect(const WindowRect& rect, int ellipseWidth, int ellipseHeight);
    // The same with only the two bottom corners rounded.
    static WindowRegion RoundBottomRect(const WindowRect& rect, int ellipseWidth, int ellipseHeight);

    void Add(const WindowRect& rect);
    const std::vector<WindowRect>& Rects() const { return m_rects; }
    bool IsEmpty() const { return m_rects.empty(); }
    bool Contains(int x, int y) const;
    WindowRect Bounds() const;

private:
    std::vector<WindowRect> m_rects;
};

enum class MouseButton { Left, Middle, Right };

// What the mouse pointer looks like over a window. None means "no preference".
enum class CursorKind { None, Arrow, Hand, IBeam, Wait, SizeAll, SizeWE, SizeNS, SizeNWSE, SizeNESW };

// Modifier keys and mouse buttons held while an input message was made.
namespace InputState {
constexpr std::uint32_t Shift = 0x01;
constexpr std::uint32_t Control = 0x02;
constexpr std::uint32_t Alt = 0x04;
constexpr std::uint32_t LeftButton = 0x08;
constexpr std::uint32_t MiddleButton = 0x10;
constexpr std::uint32_t RightButton = 0x20;
}  // namespace InputState

// A mouse message. `x`/`y` are client coordinates (negative or beyond the size while the mouse
// is captured), `screenX`/`screenY` the same point on the screen. `state` holds what was down
// before the message (InputState bits); a press does not include its own button yet.
struct MouseInput {
    MouseButton button { MouseButton::Left };
    int x { 0 };
    int y { 0 };
    int screenX { 0 };
    int screenY { 0 };
    std::uint32_t state { 0 };
    // The second press of a double click, made by this window from the desktop's double-click
    // time and distance; the first press of the pair is an ordinary press.
    bool doubleClick { false };
};

// Key codes are the original virtual-key codes (13 Enter, 32 space, 'A'..'Z', '0'..'9', ...).
struct KeyInput {
    std::uint32_t keyCode { 0 };
    std::uint32_t repeatCount { 1 };
    // The original key flags: scan code in bits 16-23, bit 30 set when the key was already down.
    std::uint32_t keyFlags { 0 };
    std::uint32_t state { 0 };
};

// What a window tells its owner. All calls come on the user-interface thread, from inside the
// main loop or from the Window operation that caused them (size and move changes made by
// SetBounds arrive before it returns, as they did on the original platform).
class WindowClient {
public:
    virtual ~WindowClient() = default;

    // The creation message: the window exists but is not shown. -1 fails the creation.
    virtual int OnCreate() { return 0; }
    // The window is about to go; it is still there.
    virtual void OnDestroy() {}
    // A close request (the desktop's close button or keyboard shortcut, or WM_CLOSE posted to
    // the client); the default destroys the window. The client decides.
    virtual void OnClose() = 0;

    // Zone of a client point; decides whether a press there is the client's or starts the
    // desktop's move (HTCAPTION) or resize (edges, only with WS_THICKFRAME) of the window.
    virtual int OnHitTest(int x, int y) { return HTCLIENT; }
    // A press in a zone other than HTCLIENT. True swallows it; false lets the window do the
    // zone's default (move, resize; a double click on the caption maximises or restores when
    // the window has WS_MAXIMIZEBOX).
    virtual bool OnNcMouseDown(int zone, const MouseInput& input) { return false; }

    virtual void OnMouseDown(const MouseInput& input) {}
    virtual void OnMouseUp(const MouseInput& input) {}
    virtual void OnMouseMove(const MouseInput& input) {}
    // Only after RequestMouseLeave: the mouse left the client area (also for the caption or a
    // child control). One notice per request.
    virtual void OnMouseLeave() {}
    // Screen position; delta in the original units (120 per notch, positive away from the user).
    virtual void OnMouseWheel(int screenX, int screenY, int delta, std::uint32_t state) {}
    virtual void OnKeyDown(const KeyInput& input) {}
    virtual void OnKeyUp(const KeyInput& input) {}
    // Asked before every mouse move in the client area; true when the client set the cursor.
    // Not asked over other zones (the window shows the zone's cursor itself).
    virtual bool OnSetCursor(int zone) { return false; }
    // The capture ended without the client releasing it (another grab took the mouse).
    virtual void OnCaptureLost() {}

    // `type` is SIZE_RESTORED, SIZE_MINIMIZED or SIZE_MAXIMIZED.
    virtual void OnSize(int type, int width, int height) {}
    // The client area's top-left corner moved to (x, y) on the screen.
    virtual void OnMove(int x, int y) {}
    virtual void OnActivate(bool active) {}
    // Paint the part `area` (client coordinates) of the window through `surface`. Windows that
    // are layered get no paint calls unless their layered attributes are set.
    virtual void OnPaint(WindowSurface& surface, const WindowRect& area) {}
    virtual void OnTimer(std::uint32_t id) {}
};

struct WindowCreateParams {
    // Screen coordinates of a top-level window, parent client coordinates of a child window.
    WindowRect rect;
    std::string title;
    std::uint32_t style { 0 };
    std::uint32_t exStyle { 0 };
    // The owner of a top-level window (kept above it), the parent of a child window.
    Window* parent { nullptr };
    // The client's message target: the one a post "to the window titled ..." reaches.
    TargetId messageTarget { 0 };
};

// A real window on the desktop: an undecorated top-level window (or a child inside another
// window) whose whole content the client paints. The Window object lives as long as its owner
// keeps it; the desktop window lives from Create to Destroy (or the object's end). Deleting a
// Window from inside one of its own client calls is allowed.
class Window {
public:
    // Creates the window into `window` and runs the client's OnCreate, during which `window` is
    // already set. False, and `window` empty, when there is no display, OnCreate answered -1 or
    // destroyed the window.
    static bool Create(WindowClient& client, const WindowCreateParams& params, std::unique_ptr<Window>& window);
    // Ends the desktop window without telling the client.
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    // Destroys the desktop window: the client's OnDestroy runs first. Idempotent.
    void Destroy();
    bool IsAlive() const;

    // Styles as given at creation or changed later.
    std::uint32_t Style() const;
    std::uint32_t ExStyle() const;
    void SetStyle(std::uint32_t style);
    void SetExStyle(std::uint32_t exStyle);

    void SetTitle(const std::string& title);
    const std::string& Title() const;
    // Window icon from a picture file (PNG); false when it cannot be read.
    bool SetIconFromFile(const std::string& path);

    // Show commands (SW_*).
    void Show(int command);
    bool IsVisible() const;
    bool IsMinimized() const;
    bool IsMaximized() const;
    // Raises the window and gives it the keyboard.
    void BringToFront();
    bool IsActive() const;

    // Outer rectangle on the screen (the client area: there is no frame), or of a child window
    // in its parent's client coordinates.
    WindowRect Bounds() const;
    int ClientWidth() const;
    int ClientHeight() const;
    void SetBounds(const WindowRect& rect);
    void ClientToScreen(int& x, int& y) const;
    void ScreenToClient(int& x, int& y) const;

    // Shape of the window; clicks outside pass through. An empty region object removes it.
    void SetRegion(const WindowRegion& region);
    void ClearRegion();
    bool HasRegion() const;
    const WindowRegion& Region() const;

    // Layered windows: with attributes, the window is painted as usual and then shown with
    // colour-key pixels (0x00BBGGRR) fully transparent and everything else at `alpha` of 255.
    // Without them, it shows only what a layered painter pushed through its surface.
    void SetLayeredAttributes(std::uint32_t colorKey, std::uint8_t alpha, std::uint32_t flags);

    // The drawing target of the window's painters.
    WindowSurface& Surface();
    // Marks a client area for repainting (the whole client with nullptr); painted at the
    // next frame.
    void Invalidate(const WindowRect* area = nullptr);

    // Timers: OnTimer(id) every `milliseconds` until KillTimer; setting an id again restarts it.
    void SetTimer(std::uint32_t id, std::uint32_t milliseconds);
    void KillTimer(std::uint32_t id);

    // Mouse capture: every mouse message comes to this window, wherever the mouse is.
    void SetCapture();
    void ReleaseCapture();
    bool HasCapture() const;
    // One OnMouseLeave when the mouse next leaves the client area.
    void RequestMouseLeave();

    // Sets the pointer shape over the window; returns the previous one.
    CursorKind SetCursor(CursorKind cursor);
    CursorKind Cursor() const;

    WindowClient* Client() const;
    Window* Parent() const;
    // Child windows (WS_CHILD) created with this one as their parent, oldest first.
    std::vector<Window*> Children() const;
    // Host toolkit object in which child controls are placed (a GTK container); platform code only.
    void* NativeContainer() const;
    void* NativeWindow() const;

    // The message target of a top-level window (shown or hidden) with exactly this title; 0 if
    // none.
    static TargetId FindTopLevel(const std::string& title);

    // Opens the display and the window toolkit for programs that are not an Application (tests,
    // tools), and lets the main loop drain the message queue. Idempotent; false without a display.
    static bool OpenDisplay();

    // Desktop helpers.
    static bool CursorScreenPosition(int& x, int& y);
    // Work area of the monitor holding the point, and of the primary monitor.
    static WindowRect WorkAreaAt(int x, int y);
    static WindowRect PrimaryWorkArea();

    struct Impl;

private:
    explicit Window(Impl* impl) : m_impl(impl) {}
    Impl* m_impl;
};

}  // namespace platform
