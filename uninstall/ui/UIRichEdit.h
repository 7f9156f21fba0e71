#pragma once

#include <memory>
#include <string>

#include "uninstall/ui/UIControl.h"

namespace platform {
class TextField;
}

// A multi-line text field ("RichEdit"): the platform's own editor placed over the window, so the
// input method and the clipboard work, with no ground of its own (the window's pictures show
// through). Attributes: text, font, textcolor, inset (space around the text on every side; one
// number or l,t,r,b of which the largest counts), maxchar.
//
// Before the window has a desktop window (and in tests without a display) the text is kept here
// and goes into the editor once it exists.
class UIRichEdit : public UIControl {
public:
    UIRichEdit();
    ~UIRichEdit() override;

    std::string GetText() const;
    void SetText(const std::string& text);
    // The most characters the field takes (typed, pasted or committed by an input method).
    void SetLimitText(int characters);
    int LimitText() const { return m_limit; }

    // Gives the editor the keyboard.
    void SetFocus();
    // The editor, while the window has a desktop window.
    platform::TextField* Field() const { return m_field.get(); }

    // Overridden from UIControl:
    std::string_view GetClass() const override { return "RichEditUI"; }
    bool IsA(std::string_view className) const override;
    void SetAttribute(const std::string& name, const std::string& value) override;
    void OnHostCreated() override;
    void OnShownChanged() override;

    // Overridden from GTWidget:
    void Layout() override;

private:
    void PlaceField();

    std::unique_ptr<platform::TextField> m_field;
    std::string m_text;
    int m_font { -1 };
    std::uint32_t m_textColor { 0xFF000000u };
    int m_inset { 0 };
    int m_limit { 0 };
};
