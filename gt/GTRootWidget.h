#pragma once

#include <optional>

#include "gt/GTWidget.h"

// The root of a window's widget tree. It routes the window's events: presses to the widget
// under the mouse that accepts them (then drags and the release to that widget), moves to the
// hover widget with enter and leave notices, keys and the wheel to the focus widget. It gathers
// invalidated areas into one dirty rectangle and asks its window for one repaint per cycle.
class GTRootWidget : public GTWidget {
public:
    explicit GTRootWidget(GTWindow* owner = nullptr);
    ~GTRootWidget() override;

    // Overridden from GTWidget (events arrive in window coordinates):
    bool OnMouseDown(const GTEvent& event) override;
    void OnMouseDrag(const GTEvent& event) override;
    void OnMouseUp(const GTEvent& event, bool cancelled) override;
    void OnMouseMove(const GTEvent& event) override;
    bool OnKeyDown(const GTEvent& event) override;
    bool OnKeyUp(const GTEvent& event) override;
    bool OnSetCursor() override;
    void InvalidateArea(int x, int y, int width, int height) override;
    void InvalidateRect(const GTRect& rect, bool defer) override;
    void Paint(GTPainter& painter) override;
    GTWindow* GetHostWindow() override { return m_owner; }

    // The repaint request arrived: the window redraws the dirty area, and the dirty state is
    // cleared.
    virtual void FlushInvalid();
    // The mouse left the window: the hover widget hears MouseLeave and is forgotten.
    virtual void OnWindowMouseLeave();
    // Gives the wheel to the focus widget; false without one.
    virtual bool RouteWheel(const GTEvent& event);

    // The press ended without a release (the window lost the mouse): the press target gets a
    // cancelled release.
    void CancelPress();

    GTWindow* Owner() const { return m_owner; }
    void SetOwner(GTWindow* owner) { m_owner = owner; }
    // Keys and the wheel go to the focus widget. Nothing in the toolkit sets it by itself.
    void SetFocusWidget(GTWidget* widget) { m_focus = widget; }
    GTWidget* FocusWidget() const { return m_focus; }
    GTWidget* PressTarget() const { return m_pressTarget; }
    GTWidget* HoverWidget() const { return m_hover; }
    GTWidget* LastPressTaker() const { return m_lastPressTaker; }
    std::uint32_t LastEventFlags() const { return m_lastFlags; }
    const GTPoint& LastEventPosition() const { return m_lastPosition; }

    // With the flag set, a paint first fills the dirty area with the colour.
    void SetFillBackground(bool fill) { m_fillBackground = fill; }
    bool FillsBackground() const { return m_fillBackground; }
    void SetBackgroundColor(GTColor color) { m_backgroundColor = color; }
    GTColor BackgroundColor() const { return m_backgroundColor; }

    // Window coordinates; empty when nothing waits to be painted.
    const GTRect& DirtyRect() const { return m_dirty; }
    bool IsDeferred() const { return m_deferred; }
    bool IsPosted() const { return m_posted; }
    bool IsDirty() const { return m_dirtyFlag; }

    // While the root paints: the area the pass covers (window coordinates).
    const std::optional<GTRect>& PaintClip() const { return m_paintClip; }

    // A widget leaves the tree or hides: every reference to it or below it is dropped.
    void ForgetSubtree(GTWidget* widget);

private:
    void ClearDirty();

    GTWindow* m_owner { nullptr };
    GTWidget* m_pressTarget { nullptr };
    GTWidget* m_hover { nullptr };
    GTWidget* m_lastPressTaker { nullptr };
    GTWidget* m_focus { nullptr };
    platform::CursorKind m_savedCursor { platform::CursorKind::None };
    std::uint32_t m_lastFlags { 0 };
    GTPoint m_lastPosition;
    bool m_fillBackground { false };
    GTColor m_backgroundColor { GTRgb(255, 255, 255) };
    GTRect m_dirty;
    bool m_deferred { false };
    bool m_posted { false };
    bool m_dirtyFlag { false };
    std::optional<GTRect> m_paintClip;
};
