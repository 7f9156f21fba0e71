#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "gt/GTWidget.h"
#include "uninstall/ui/UIAttributes.h"

class GTPainter;
class UIWindow;

// A control of a layout window: a widget that a layout document names, places and styles by its
// attributes. The base draws a background colour, a background picture and a border.
//
// Attributes read here: name, pos (l,t,r,b; relative to the parent), float (placed by pos
// instead of by the parent's flow), width, height, visible, bkcolor, bkimage, bordercolor,
// bordersize. Any other attribute is kept as a property.
class UIControl : public GTWidget {
public:
    UIControl() = default;

    // The type name the window's rules use ("ButtonUI", "OptionUI", "TextUI", ...).
    virtual std::string_view GetClass() const { return "ControlUI"; }
    // Whether the control is of the type `className` or of one derived from it.
    virtual bool IsA(std::string_view className) const { return className == "ControlUI"; }

    virtual void SetAttribute(const std::string& name, const std::string& value);

    // The window the control belongs to: fonts, pictures, notifications.
    UIWindow* Manager() const { return m_manager; }
    void SetManager(UIWindow* manager) { m_manager = manager; }

    bool IsFloat() const { return m_float; }
    const GTRect& FloatPos() const { return m_pos; }
    // The size the layout asked for; 0 for "whatever the parent's flow gives".
    int FixedWidth() const { return m_fixedWidth; }
    int FixedHeight() const { return m_fixedHeight; }

    // Shows or hides the control with everything inside it.
    void Show(bool visible);
    // Visible itself and inside visible parents.
    bool IsShown() const;
    // The control or one of its parents was shown or hidden.
    virtual void OnShownChanged() {}
    // The window's desktop window exists now (controls that own native parts or timers start
    // them here).
    virtual void OnHostCreated() {}

    // What a completed click does; the base does nothing. Public so that tests can click a
    // control by name.
    virtual void Activate() {}

    // Overridden from GTWidget:
    void PaintSelf(GTPainter& painter) override;

protected:
    // Drawn after the background and before the border.
    virtual void PaintContent(GTPainter& painter) {}
    // Draws a picture reference into the control's rectangle (or the reference's dest).
    void DrawImage(GTPainter& painter, const UIImageRef& ref) const;
    void DrawImage(GTPainter& painter, const UIImageRef& ref, const GTRect& into) const;
    // Tells every control below (and this one) that visibility changed.
    void BroadcastShownChanged();

private:
    UIWindow* m_manager { nullptr };
    bool m_float { false };
    GTRect m_pos;
    int m_fixedWidth { 0 };
    int m_fixedHeight { 0 };
    std::uint32_t m_bkColor { 0 };
    UIImageRef m_bkImage;
    std::uint32_t m_borderColor { 0 };
    int m_borderSize { 0 };
};

// A control holding others. Children marked float sit at their pos; the others flow:
// - "VerticalLayout": top to bottom, each as wide as the inner area, with its height, or an equal
//   share of the height that fixed children leave;
// - "HorizontalLayout": left to right, the same across;
// - "Container": each fills the inner area.
// Attribute: inset (l,t,r,b), the inner area's margins.
class UIContainer : public UIControl {
public:
    enum class Flow { Stack, Vertical, Horizontal };
    explicit UIContainer(Flow flow = Flow::Stack) : m_flow(flow) {}

    void Add(UIControl* child);

    // Overridden from UIControl:
    std::string_view GetClass() const override;
    bool IsA(std::string_view className) const override;
    void SetAttribute(const std::string& name, const std::string& value) override;

    // Overridden from GTWidget:
    void Layout() override;

private:
    Flow m_flow;
    GTRect m_inset;
};
