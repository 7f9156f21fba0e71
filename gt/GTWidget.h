#pragma once

#include <sigc++/trackable.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "gt/GTEvent.h"
#include "gt/GTTypes.h"
#include "platform/Window.h"

class GTPainter;
class GTRootWidget;
class GTWindow;

// A node of a window's widget tree: a rectangle in its parent's coordinates that paints itself,
// takes mouse events routed to it by the root and reports user actions through signals.
//
// Widgets are members of their window (or kept by it); a widget never deletes its children.
// Signals connected to a widget's methods are disconnected when the widget goes (trackable).
// A widget that goes while still in a tree leaves it, and the root forgets it.
class GTWidget : public sigc::trackable {
public:
    GTWidget();
    virtual ~GTWidget();
    GTWidget(const GTWidget&) = delete;
    GTWidget& operator=(const GTWidget&) = delete;

    // Mouse and keys. Positions are in this widget's coordinates. The default press handler
    // invalidates the widget and takes the press.
    virtual bool OnMouseDown(const GTEvent& event);
    virtual void OnMouseDrag(const GTEvent& event) {}
    virtual void OnMouseUp(const GTEvent& event, bool cancelled) {}
    virtual void OnMouseMove(const GTEvent& event) {}
    virtual void OnMouseEnter(const GTEvent& event) {}
    virtual void OnMouseLeave(const GTEvent& event) {}
    virtual bool OnKeyDown(const GTEvent& event) { return false; }
    virtual bool OnKeyUp(const GTEvent& event) { return false; }
    virtual bool OnMouseWheel(const GTEvent& event) { return false; }
    // The window's refresh message reached this widget (skins may have to be looked up again).
    virtual void OnRefresh() {}
    // True when the widget set the cursor itself.
    virtual bool OnSetCursor() { return false; }
    virtual void OnGeometryChanged(const GTRect& oldRect, const GTRect& newRect);
    // Invalidates the widget and places the children again (absolute positions, their Layout).
    // Controls with a natural size set it first.
    virtual void Layout();
    // Called after the widget was added to a parent.
    virtual void OnAttached() {}

    // Invalidation, in this widget's coordinates. With `defer` the area waits for the next
    // paint instead of asking for one.
    virtual void InvalidateArea(int x, int y, int width, int height);
    virtual void Invalidate();
    virtual void InvalidateRect(const GTRect& rect, bool defer);

    // Painting. PaintSelf draws in widget coordinates ((0, 0) is the top-left corner); the
    // default draws only the debug frame. Paint sets the painter up for this widget and calls
    // PaintSelf and PaintChildren; PaintChildren paints the visible children, first added first.
    virtual void PaintSelf(GTPainter& painter);
    virtual void Paint(GTPainter& painter);
    virtual void PaintChildren(GTPainter& painter);

    // The window holding the tree; nothing for a widget outside one.
    virtual GTWindow* GetHostWindow();
    // The cursor the widget wants at a point (widget coordinates) for an event type;
    // CursorKind::None for no preference.
    virtual platform::CursorKind GetCursorAt(int type, int x, int y) { return platform::CursorKind::None; }

    // Geometry: a rectangle in the parent's coordinates. Setting a new one invalidates the old
    // and the new area and calls OnGeometryChanged.
    void SetGeometry(const GTRect& rect);
    const GTRect& Geometry() const { return m_geometry; }
    int Width() const { return m_geometry.Width(); }
    int Height() const { return m_geometry.Height(); }
    // Top-left corner in window coordinates.
    const GTPoint& AbsolutePosition() const { return m_absolute; }
    // The widget's rectangle in window coordinates.
    GTRect WindowRect() const;

    // Children: appended (painted last, hit first); a widget already among them is not added
    // again. False for no widget.
    bool AddChild(GTWidget* child);
    // Takes a child out of the tree (the root forgets it). False when it is not a child.
    bool RemoveChild(GTWidget* child);
    const std::vector<GTWidget*>& Children() const { return m_children; }
    GTWidget* Parent() const { return m_parent; }
    // The root of the tree this widget is in, or nothing.
    GTRootWidget* Root();

    // Text properties: names compared byte by byte.
    std::string GetProperty(const std::string& name) const;
    // Changes an existing property; a missing one is not created (false).
    bool SetProperty(const std::string& name, const std::string& value);
    // Adds a property; an existing one keeps its value (false).
    bool AddProperty(const std::string& name, const std::string& value);
    // Adds the property or changes it, whichever applies.
    void PutProperty(const std::string& name, const std::string& value);
    const std::map<std::string, std::string>& Properties() const { return m_properties; }

    const std::string& Name() const { return m_name; }
    void SetName(const std::string& name) { m_name = name; }

    // Visible widgets are painted, hit and invalidated. Changing the flag repaints the area.
    bool IsVisible() const { return m_visible; }
    void SetVisible(bool visible);
    bool IsFocusable() const { return m_focusable; }
    void SetFocusable(bool focusable) { m_focusable = focusable; }
    // A widget that is not enabled gets no mouse events: a press on it is swallowed, and hover
    // passes to its nearest enabled ancestor. (Buttons also have a disabled state of their own,
    // GTButton::SetEnabled, which keeps them enabled here.)
    bool IsWidgetEnabled() const { return m_enabled; }
    void SetWidgetEnabled(bool enabled) { m_enabled = enabled; }
    // When set, the widget is outlined with a 1-pixel red frame.
    std::int32_t DebugFrame() const { return m_debugFrame; }
    void SetDebugFrame(std::int32_t debugFrame);

    // The deepest visible descendant containing the point (this widget's coordinates), or this
    // widget. Children are tested last first.
    GTWidget* HitTest(int x, int y);
    // Converts a window position into this widget's coordinates.
    GTPoint WindowToWidget(int x, int y) const;

protected:
    // Draws the debug frame when its flag is set.
    void PaintDebugFrame(GTPainter& painter);
    // Recomputes the absolute position of this widget from its parent's.
    void UpdateAbsolutePosition();

private:
    friend class GTRootWidget;
    void UpdateAbsolutePositions();  // this widget and all below it
    void Detach();

    std::string m_name;
    GTRect m_geometry;
    GTPoint m_absolute;
    std::int32_t m_debugFrame { 0 };
    bool m_visible { true };
    bool m_focusable { false };
    bool m_enabled { true };
    std::vector<GTWidget*> m_children;
    std::map<std::string, std::string> m_properties;
    GTWidget* m_parent { nullptr };
};
