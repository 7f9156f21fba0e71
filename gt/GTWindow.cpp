#include "gt/GTWindow.h"

#include <algorithm>

#include "gt/GTMessages.h"
#include "gt/GTPainter.h"

namespace {

std::uint32_t EventFlags(std::uint32_t state) {
    std::uint32_t flags = 0;
    if (state & platform::InputState::Shift) flags |= GTEvent::SHIFT_DOWN;
    if (state & platform::InputState::Control) flags |= GTEvent::CTRL_DOWN;
    if (state & platform::InputState::Alt) flags |= GTEvent::ALT_DOWN;
    if (state & platform::InputState::LeftButton) flags |= GTEvent::LEFT_BUTTON;
    if (state & platform::InputState::MiddleButton) flags |= GTEvent::MIDDLE_BUTTON;
    if (state & platform::InputState::RightButton) flags |= GTEvent::RIGHT_BUTTON;
    return flags;
}

// The message's own button is always among the flags, also for a release.
std::uint32_t MouseFlags(const platform::MouseInput& input) {
    std::uint32_t flags = EventFlags(input.state);
    switch (input.button) {
        case platform::MouseButton::Left: flags |= GTEvent::LEFT_BUTTON; break;
        case platform::MouseButton::Middle: flags |= GTEvent::MIDDLE_BUTTON; break;
        case platform::MouseButton::Right: flags |= GTEvent::RIGHT_BUTTON; break;
    }
    return flags;
}

GTRect ToGT(const platform::WindowRect& r) { return GTRect { r.left, r.top, r.right, r.bottom }; }
platform::WindowRect ToPlatform(const GTRect& r) { return platform::WindowRect { r.left, r.top, r.right, r.bottom }; }

void RefreshTree(GTWidget* widget) {
    widget->OnRefresh();
    for (GTWidget* child : std::vector<GTWidget*>(widget->Children())) RefreshTree(child);
}

}  // namespace

GTWindow::GTWindow() : m_root(this) {}

GTWindow::~GTWindow() {
    // The desktop window goes silently: the derived parts that would hear of it are gone.
    m_host.reset();
}

// ---- creation and lifetime ----

bool GTWindow::CreateHostWindow(const GTRect& rect, const std::string& title, std::uint32_t exStyle,
                                std::uint32_t style, GTWindow* parent) {
    if (IsWindow()) return false;
    platform::WindowCreateParams params;
    params.rect = ToPlatform(rect);
    params.title = title;
    params.style = style;
    params.exStyle = exStyle;
    params.parent = parent ? parent->Host() : nullptr;
    params.messageTarget = Id();
    return platform::Window::Create(*this, params, m_host);
}

bool GTWindow::CreateHostWindow(const GTRect& rect, std::uint32_t style, GTWindow* parent) {
    return CreateHostWindow(rect, GT_HOST_WINDOW_CLASS, 0, style, parent);
}

int GTWindow::OnCreate() {
    m_arrowCursor = platform::CursorKind::Arrow;
    m_refreshList.clear();
    return 0;
}

void GTWindow::OnClose() { DestroyWindow(); }

void GTWindow::DestroyWindow() {
    if (m_host) m_host->Destroy();
    m_buttonHeld = m_mouseCaptured = m_trackingLeave = m_hasLastMousePosition = false;
}

void GTWindow::OnSysCommand(std::uint32_t command) {
    platform::Window* host = Host();
    switch (command & 0xFFF0u) {
        case SC_CLOSE: OnClose(); break;
        case SC_MINIMIZE:
            if (host) host->Show(SW_MINIMIZE);
            break;
        case SC_MAXIMIZE:
            if (host) host->Show(SW_SHOWMAXIMIZED);
            break;
        case SC_RESTORE:
            if (host) host->Show(SW_RESTORE);
            break;
        default: break;
    }
}

// ---- messages ----

void GTWindow::OnMessage(platform::Message& message) {
    switch (message.id) {
        case WM_GT_REPAINT: m_root.FlushInvalid(); break;
        case WM_GT_REFRESH: Refresh(message.lParam); break;
        case WM_CLOSE: OnClose(); break;
        case WM_SYSCOMMAND: OnSysCommand(static_cast<std::uint32_t>(message.wParam)); break;
        default: break;
    }
}

void GTWindow::Refresh(std::intptr_t lParam) {
    if (m_host && (!(GetStyle() & WS_CHILD) || lParam != 0)) {
        // Sent on to the child windows first, each handling it as its own.
        for (platform::Window* child : m_host->Children()) {
            if (auto* window = dynamic_cast<GTWindow*>(child->Client())) window->Refresh(lParam);
        }
    }
    OnRefresh();
    RefreshTree(&m_root);
    for (GTWidget* widget : std::vector<GTWidget*>(m_refreshList)) RefreshTree(widget);
    InvalidateWindow();
}

void GTWindow::AddRefreshWidget(GTWidget* widget) {
    if (widget && std::find(m_refreshList.begin(), m_refreshList.end(), widget) == m_refreshList.end())
        m_refreshList.push_back(widget);
}

// ---- mouse and keys ----

void GTWindow::OnMouseDown(const platform::MouseInput& input) {
    // The right button's double click was never a message the window handled.
    if (input.doubleClick && input.button == platform::MouseButton::Right) return;
    std::uint32_t flags = MouseFlags(input);
    if (input.doubleClick) flags |= GTEvent::DOUBLE_CLICK | GTEvent::SAME_WIDGET;
    GTEvent event = GTEvent::Mouse(GTEvent::MouseDown, input.x, input.y, flags);
    if (!m_root.OnMouseDown(event)) return;
    m_buttonHeld = true;
    if (!m_mouseCaptured) SetCaptureNow();
}

void GTWindow::OnMouseUp(const platform::MouseInput& input) {
    GTEvent event = GTEvent::Mouse(GTEvent::MouseUp, input.x, input.y, MouseFlags(input));
    if (m_mouseCaptured && ReleaseCaptureOnButtonUp()) ReleaseCaptureNow();
    m_buttonHeld = false;
    m_root.OnMouseUp(event, false);
}

void GTWindow::OnMouseMove(const platform::MouseInput& input) {
    if (!m_trackingLeave) {
        if (platform::Window* host = Host()) host->RequestMouseLeave();
        m_trackingLeave = true;
    }
    std::uint32_t flags = EventFlags(input.state);
    if (m_mouseCaptured && m_buttonHeld) {
        m_root.OnMouseDrag(GTEvent::Mouse(GTEvent::MouseDrag, input.x, input.y, flags));
        return;
    }
    GTPoint screen { input.screenX, input.screenY };
    if (m_hasLastMousePosition && screen == m_lastMousePosition) return;
    m_hasLastMousePosition = true;
    m_lastMousePosition = screen;
    m_root.OnMouseMove(GTEvent::Mouse(GTEvent::MouseMove, input.x, input.y, flags));
}

void GTWindow::OnMouseLeave() {
    m_root.OnWindowMouseLeave();
    m_trackingLeave = false;
}

void GTWindow::OnMouseWheel(int screenX, int screenY, int delta, std::uint32_t state) {
    GTEvent event = GTEvent::Mouse(GTEvent::MouseWheel, screenX, screenY, EventFlags(state));
    event.wheelDelta = static_cast<std::int16_t>(delta);
    m_root.RouteWheel(event);
}

void GTWindow::OnKeyDown(const platform::KeyInput& input) {
    m_root.OnKeyDown(GTEvent::Key(GTEvent::KeyDown, input.keyCode, input.repeatCount, input.keyFlags,
                                  EventFlags(input.state)));
}

void GTWindow::OnKeyUp(const platform::KeyInput& input) {
    m_root.OnKeyUp(
        GTEvent::Key(GTEvent::KeyUp, input.keyCode, input.repeatCount, input.keyFlags, EventFlags(input.state)));
}

bool GTWindow::OnSetCursor(int zone) {
    if (zone != HTCLIENT) return false;
    if (!m_root.OnSetCursor()) SetCursor(m_arrowCursor);
    return true;
}

void GTWindow::OnCaptureLost() {
    // Another grab took the mouse: the press ends without a click.
    m_mouseCaptured = false;
    m_buttonHeld = false;
    m_root.CancelPress();
}

void GTWindow::SetCaptureNow() {
    m_mouseCaptured = true;
    if (platform::Window* host = Host()) host->SetCapture();
}

void GTWindow::ReleaseCaptureNow() {
    m_mouseCaptured = false;
    if (platform::Window* host = Host()) host->ReleaseCapture();
}

platform::CursorKind GTWindow::SetCursor(platform::CursorKind cursor) {
    platform::CursorKind previous = m_cursor;
    if (cursor == platform::CursorKind::None) return previous;
    m_cursor = cursor;
    if (platform::Window* host = Host()) host->SetCursor(cursor);
    return previous;
}

// ---- size and painting ----

void GTWindow::OnSize(int type, int width, int height) {
    m_root.SetGeometry(GTRect::FromSize(0, 0, width, height));
    m_root.Layout();
    m_root.Invalidate();
}

void GTWindow::RedrawArea(const GTRect& rect) {
    if (platform::Window* host = Host()) {
        platform::WindowRect area = ToPlatform(rect);
        host->Invalidate(&area);
    }
}

void GTWindow::OnPaint(platform::WindowSurface& surface, const platform::WindowRect& area) {
    GTRect paint = ToGT(area);
    GTRect rootRect = GTRect::FromSize(0, 0, m_root.Width(), m_root.Height());
    // Areas invalidated with defer that lie outside this paint get a paint of their own.
    GTRect waiting = m_root.DirtyRect().Intersect(rootRect);
    if (!waiting.IsEmpty() && waiting.Union(paint) != paint) RedrawArea(waiting);
    m_root.InvalidateRect(paint, false);
    // The buffer covers the painted part of the window only; what lies outside would not
    // reach the screen anyway.
    GTRect covered = paint.Intersect(rootRect);
    if (covered.IsEmpty()) return;
    GTPainter painter(surface, covered);
    painter.SetClipRect(covered);
    m_root.Paint(painter);
}

void GTWindow::PaintLayered() {
    platform::Window* host = Host();
    if (!host) return;
    m_root.InvalidateRect(GTRect::FromSize(0, 0, m_root.Width(), m_root.Height()), true);
    GTPainter painter(host->Surface());
    m_root.Paint(painter);
}

void GTWindow::InvalidateWindow() {
    if (platform::Window* host = Host()) host->Invalidate(nullptr);
}

// ---- desktop window operations ----

void GTWindow::ShowWindow(int command) {
    if (platform::Window* host = Host()) host->Show(command);
}

bool GTWindow::IsWindowVisible() const { return IsWindow() && m_host->IsVisible(); }
bool GTWindow::IsMinimized() const { return IsWindow() && m_host->IsMinimized(); }
bool GTWindow::IsMaximized() const { return IsWindow() && m_host->IsMaximized(); }

void GTWindow::BringToFront() {
    if (platform::Window* host = Host()) host->BringToFront();
}

GTRect GTWindow::GetWindowRect() const { return IsWindow() ? ToGT(m_host->Bounds()) : GTRect(); }

GTRect GTWindow::GetClientRect() const {
    if (IsWindow()) return GTRect::FromSize(0, 0, m_host->ClientWidth(), m_host->ClientHeight());
    return GTRect::FromSize(0, 0, m_root.Width(), m_root.Height());
}

void GTWindow::MoveWindow(const GTRect& rect) {
    if (platform::Window* host = Host()) host->SetBounds(ToPlatform(rect));
}

void GTWindow::ClientToScreen(int& x, int& y) const {
    if (IsWindow()) m_host->ClientToScreen(x, y);
}

void GTWindow::ScreenToClient(int& x, int& y) const {
    if (IsWindow()) m_host->ScreenToClient(x, y);
}

void GTWindow::SetWindowText(const std::string& title) {
    if (platform::Window* host = Host()) host->SetTitle(title);
}

std::string GTWindow::GetWindowText() const { return IsWindow() ? m_host->Title() : std::string(); }

std::uint32_t GTWindow::GetStyle() const { return m_host ? m_host->Style() : 0; }
std::uint32_t GTWindow::GetExStyle() const { return m_host ? m_host->ExStyle() : 0; }

void GTWindow::ModifyStyle(std::uint32_t remove, std::uint32_t add) {
    if (platform::Window* host = Host()) host->SetStyle((host->Style() & ~remove) | add);
}

void GTWindow::ModifyStyleEx(std::uint32_t remove, std::uint32_t add) {
    if (platform::Window* host = Host()) host->SetExStyle((host->ExStyle() & ~remove) | add);
}

void GTWindow::SetWindowRegion(const platform::WindowRegion& region) {
    if (platform::Window* host = Host()) host->SetRegion(region);
}

void GTWindow::SetLayeredAttributes(GTColor colorKey, std::uint8_t alpha, std::uint32_t flags) {
    if (platform::Window* host = Host()) host->SetLayeredAttributes(colorKey, alpha, flags);
}

void GTWindow::SetTimer(std::uint32_t id, std::uint32_t milliseconds) {
    if (platform::Window* host = Host()) host->SetTimer(id, milliseconds);
}

void GTWindow::KillTimer(std::uint32_t id) {
    if (m_host) m_host->KillTimer(id);
}
