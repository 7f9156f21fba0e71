#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gt/GTFont.h"
#include "gt/GTWindow.h"

class GTImage;
class UIControl;
class UIResources;

// Notification types.
inline constexpr const char* UI_NOTIFY_WINDOWINIT = "windowinit";
inline constexpr const char* UI_NOTIFY_CLICK = "click";

// What a window hears from its controls: the type and the sending control (none for
// "windowinit").
struct UINotify {
    std::string type;
    UIControl* sender { nullptr };
};

// A window built from an XML layout document carried among the program's resources:
//
//   <Window size="w,h" caption="0,0,0,65" roundcorner="4,4" sizebox="0,0,0,0" mininfo="w,h">
//     <Font name="微软雅黑" size="14" bold="false"/>     fonts, numbered from 0 in order
//     <Default name="Button" value="font=&quot;3&quot; ..."/>  attributes every Button starts with
//     <VerticalLayout ...> controls ... </VerticalLayout>  the one root control
//   </Window>
//
// Element names are control types: Control, Container, VerticalLayout, HorizontalLayout, Label,
// Text, Button, CheckBox, Progress, RichEdit; any other name is offered to the window's builder
// callback, and an element nobody makes is left out with everything inside it.
//
// Floating controls (placed by pos) lie above the flowing ones of their container.
//
// The window has no platform frame. A press in the caption band moves it, except over buttons,
// check boxes and texts; its corners are cut round; with a size box (and WS_THICKFRAME), presses
// at the edges resize it. It delivers "windowinit" once the layout is loaded and "click" when a button or check box
// is activated.
class UIWindow : public GTWindow {
public:
    // Makes the control for a custom element type; nothing when the type is unknown.
    using Builder = std::function<std::unique_ptr<UIControl>(const std::string& type)>;

    explicit UIWindow(const UIResources& resources);
    ~UIWindow() override;

    // Builds the control tree from the layout document `number` of `type` and delivers
    // "windowinit". Without a desktop window (tests) the tree is laid out at the layout's size.
    // False when the document is missing, does not parse or holds no root control.
    bool LoadLayout(int number, const std::string& type, const Builder& builder = {});

    // Creates the desktop window at `rect` and, during its creation, loads the layout; the window
    // then takes the layout's size (keeping its top-left corner).
    bool Create(int number, const std::string& type, const Builder& builder, const GTRect& rect,
                const std::string& title, std::uint32_t style, std::uint32_t exStyle = 0);

    // Puts the window in the middle of the work area of the monitor under its centre.
    void CenterWindow();

    // The control with that name, or nothing; the first in document order wins.
    UIControl* FindControl(std::string_view name) const;
    template <typename T>
    T* Find(std::string_view name) const {
        return dynamic_cast<T*>(FindControl(name));
    }
    // The deepest shown control at a client point, or nothing.
    UIControl* FindControlAt(int x, int y);
    UIControl* RootControl() const { return m_rootControl; }

    // Delivers a notification to Notify.
    void SendNotify(UIControl* sender, const std::string& type);

    // The layout's font of that index; the first font (or the default font) otherwise.
    GTFont Font(int index) const;
    const GTImage* Image(int number) const;
    GTSize LayoutSize() const { return m_size; }
    int CaptionHeight() const { return m_caption.bottom; }

    // Timers for controls (animations): the window's timer of the returned id advances the control.
    std::uint32_t SetControlTimer(UIControl* control, std::uint32_t milliseconds);
    void KillControlTimer(std::uint32_t id);

    // Overridden from platform::WindowClient:
    int OnCreate() override;
    int OnHitTest(int x, int y) override;
    void OnSize(int type, int width, int height) override;
    void OnTimer(std::uint32_t id) override;

protected:
    // The window's handler of notifications; the base does nothing.
    virtual void Notify(UINotify& notify) {}

private:
    bool Build();
    void ParseWindowAttributes(const void* element);
    UIControl* BuildControl(const void* element, int depth);

    const UIResources& m_resources;
    int m_layoutNumber { 0 };
    std::string m_layoutType;
    Builder m_builder;
    bool m_loaded { false };

    std::vector<std::unique_ptr<UIControl>> m_controls;  // in document order
    UIControl* m_rootControl { nullptr };
    std::vector<GTFont> m_fonts;
    std::map<std::string, std::vector<std::pair<std::string, std::string>>> m_defaults;
    GTSize m_size;
    GTRect m_caption;
    GTRect m_sizeBox;
    GTSize m_roundCorner;
    GTSize m_minSize;
    std::map<std::uint32_t, UIControl*> m_timers;
    std::uint32_t m_nextTimer { 0x5000 };
};
