#pragma once

#include <sigc++/trackable.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gt/GTRootWidget.h"
#include "gt/GTTypes.h"
#include "platform/MessageQueue.h"
#include "platform/Window.h"

// A window of the client: a real window on the desktop whose whole content is one widget tree.
// It turns the desktop's mouse, keyboard, size and paint messages into toolkit events and paint
// passes, and handles the toolkit's posted messages (repaint, refresh, close, system commands).
//
// Derived windows declare their widgets as members, build the tree in their OnCreate override
// (after GTWindow::OnCreate, usually through CreateWidgets) and connect the widgets' signals to
// their own methods. Without a desktop window (before creation, or in tests) the same entry
// points can be fed directly: OnMouseDown and friends, OnSize, OnPaint.
class GTWindow : public platform::MessageTarget, public sigc::trackable, public platform::WindowClient {
public:
    GTWindow();
    ~GTWindow() override;
    GTWindow(const GTWindow&) = delete;
    GTWindow& operator=(const GTWindow&) = delete;

    // Creates the desktop window (`rect` in screen coordinates, or in the parent's client
    // coordinates for WS_CHILD); OnCreate runs before it returns. False when there is no display
    // or OnCreate failed.
    virtual bool CreateHostWindow(const GTRect& rect, const std::string& title, std::uint32_t exStyle,
                                  std::uint32_t style, GTWindow* parent);
    // The same with the title GT_HOST_WINDOW_CLASS and no extended style.
    virtual bool CreateHostWindow(const GTRect& rect, std::uint32_t style, GTWindow* parent);
    // Asks the desktop to repaint a client area (the repaint request's work).
    virtual void RedrawArea(const GTRect& rect);
    // Hook in which a derived window builds its widget tree; the base does nothing.
    virtual bool CreateWidgets() { return true; }
    // Hook of the refresh message; the base does nothing.
    virtual void OnRefresh() {}
    // When true, releasing a button ends the mouse capture.
    virtual bool ReleaseCaptureOnButtonUp() { return true; }
    // A system command (SC_*, posted as WM_SYSCOMMAND): minimise, maximise, restore, close.
    virtual void OnSysCommand(std::uint32_t command);

    GTRootWidget& Root() { return m_root; }
    const GTRootWidget& Root() const { return m_root; }
    // The desktop window while it exists.
    platform::Window* Host() const { return IsWindow() ? m_host.get() : nullptr; }
    bool IsWindow() const { return m_host && m_host->IsAlive(); }
    // Destroys the desktop window (OnDestroy runs). The object stays.
    void DestroyWindow();

    // Desktop window operations; they do nothing without a desktop window.
    void ShowWindow(int command);
    bool IsWindowVisible() const;
    bool IsMinimized() const;
    bool IsMaximized() const;
    void BringToFront();
    // Screen rectangle (a child window's in its parent's client coordinates).
    GTRect GetWindowRect() const;
    // (0, 0, client width, client height).
    GTRect GetClientRect() const;
    void MoveWindow(const GTRect& rect);
    void MoveWindow(int x, int y, int width, int height) { MoveWindow(GTRect::FromSize(x, y, width, height)); }
    void ClientToScreen(int& x, int& y) const;
    void ScreenToClient(int& x, int& y) const;
    void SetWindowText(const std::string& title);
    std::string GetWindowText() const;
    std::uint32_t GetStyle() const;
    std::uint32_t GetExStyle() const;
    void ModifyStyle(std::uint32_t remove, std::uint32_t add);
    void ModifyStyleEx(std::uint32_t remove, std::uint32_t add);
    void SetWindowRegion(const platform::WindowRegion& region);
    void SetLayeredAttributes(GTColor colorKey, std::uint8_t alpha, std::uint32_t flags);
    void SetTimer(std::uint32_t id, std::uint32_t milliseconds);
    void KillTimer(std::uint32_t id);
    // Marks the whole client area for repainting.
    void InvalidateWindow();
    // Paints the whole tree into the window as its per-pixel-alpha content (layered windows).
    void PaintLayered();
    // Sets the pointer shape; returns the previous one.
    platform::CursorKind SetCursor(platform::CursorKind cursor);
    platform::CursorKind CurrentCursor() const { return m_cursor; }

    // Widgets (and their descendants) whose OnRefresh runs on the refresh message besides the
    // root's tree.
    void AddRefreshWidget(GTWidget* widget);

    bool IsButtonHeld() const { return m_buttonHeld; }
    bool IsMouseCaptured() const { return m_mouseCaptured; }

    // Overridden from platform::WindowClient. The desktop calls these; so may tests.
    int OnCreate() override;
    void OnDestroy() override {}
    void OnClose() override;
    void OnMouseDown(const platform::MouseInput& input) override;
    void OnMouseUp(const platform::MouseInput& input) override;
    void OnMouseMove(const platform::MouseInput& input) override;
    void OnMouseLeave() override;
    void OnMouseWheel(int screenX, int screenY, int delta, std::uint32_t state) override;
    void OnKeyDown(const platform::KeyInput& input) override;
    void OnKeyUp(const platform::KeyInput& input) override;
    bool OnSetCursor(int zone) override;
    void OnCaptureLost() override;
    void OnSize(int type, int width, int height) override;
    void OnPaint(platform::WindowSurface& surface, const platform::WindowRect& area) override;

protected:
    // Overridden from platform::MessageTarget:
    void OnMessage(platform::Message& message) override;

    // The refresh message's work (see WM_GT_REFRESH).
    void Refresh(std::intptr_t lParam);

private:
    void SetCaptureNow();
    void ReleaseCaptureNow();

    GTRootWidget m_root;
    std::unique_ptr<platform::Window> m_host;
    bool m_buttonHeld { false };
    bool m_mouseCaptured { false };
    bool m_hasLastMousePosition { false };
    GTPoint m_lastMousePosition;
    bool m_trackingLeave { false };
    platform::CursorKind m_arrowCursor { platform::CursorKind::Arrow };
    platform::CursorKind m_cursor { platform::CursorKind::Arrow };
    std::vector<GTWidget*> m_refreshList;
};
