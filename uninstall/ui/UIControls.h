#pragma once

#include <cstdint>
#include <string>

#include "uninstall/ui/UIControl.h"

// The text-bearing controls of layout windows.

// A line of text. Attributes: text, font (index into the window's fonts), textcolor,
// strokecolor (the text is struck a second time one pixel to the right, so it reads heavier),
// align (left, center, right; always centred vertically), textpadding (l,t,r,b).
// "Label" lets a press in the caption band move the window; "Text" does not.
class UILabel : public UIControl {
public:
    explicit UILabel(bool isText = false) : m_isText(isText) {}

    const std::string& Text() const { return m_text; }
    void SetText(const std::string& text);

    // Overridden from UIControl:
    std::string_view GetClass() const override { return m_isText ? "TextUI" : "LabelUI"; }
    bool IsA(std::string_view className) const override;
    void SetAttribute(const std::string& name, const std::string& value) override;

protected:
    void PaintContent(GTPainter& painter) override;
    // The colour of the text now; buttons change it with their state.
    virtual std::uint32_t CurrentTextColor() const { return m_textColor; }
    std::uint32_t TextColor() const { return m_textColor; }

private:
    bool m_isText { false };
    std::string m_text;
    int m_font { -1 };
    std::uint32_t m_textColor { 0xFF000000u };
    std::uint32_t m_strokeColor { 0 };
    unsigned m_align { 0 };
    GTRect m_textPadding;
};

// A push button with four looks: normalimage, hotimage, pushedimage, disabledimage, and the
// text colours hottextcolor, pushedtextcolor, disabledtextcolor (textcolor when normal). Text is
// centred unless align says otherwise. A completed click (press and release inside with the left
// button) delivers "click". Attribute enabled="false" disables it.
class UIButton : public UILabel {
public:
    enum class State { Normal, Hot, Pushed, Disabled };

    UIButton();

    State GetState() const { return m_state; }
    void SetEnabled(bool enabled);
    bool IsEnabled() const { return m_state != State::Disabled; }

    // Overridden from UIControl:
    std::string_view GetClass() const override { return "ButtonUI"; }
    bool IsA(std::string_view className) const override;
    void SetAttribute(const std::string& name, const std::string& value) override;
    // Delivers "click".
    void Activate() override;
    void OnShownChanged() override;

    // Overridden from GTWidget:
    bool OnMouseDown(const GTEvent& event) override;
    void OnMouseDrag(const GTEvent& event) override;
    void OnMouseUp(const GTEvent& event, bool cancelled) override;
    void OnMouseEnter(const GTEvent& event) override;
    void OnMouseLeave(const GTEvent& event) override;

protected:
    void PaintContent(GTPainter& painter) override;
    std::uint32_t CurrentTextColor() const override;
    // The picture of the current look.
    virtual const UIImageRef& CurrentImage() const;
    void SetState(State state);
    bool IsInside(const GTEvent& event) const;

private:
    State m_state { State::Normal };
    UIImageRef m_images[4];
    std::uint32_t m_stateTextColors[4] {};
};

// A check box ("CheckBox"): normalimage when not selected, selectedimage when selected (hotimage
// and selectedhotimage while the mouse is over it). Attribute selected="true". Its "click" is
// delivered before the selected state changes, so a handler reads the state it had.
class UICheckBox : public UIButton {
public:
    UICheckBox() = default;

    bool IsSelected() const { return m_selected; }
    // Changes the state without a notification.
    void Selected(bool selected);

    // Overridden from UIControl:
    std::string_view GetClass() const override { return "CheckBoxUI"; }
    bool IsA(std::string_view className) const override;
    void SetAttribute(const std::string& name, const std::string& value) override;
    // Delivers "click", then flips the selected state.
    void Activate() override;

protected:
    const UIImageRef& CurrentImage() const override;

private:
    bool m_selected { false };
    UIImageRef m_selectedImage;
    UIImageRef m_selectedHotImage;
};

// A progress bar: min, max, value; foreimage is shown over the part from the left edge to the
// value (cut, not squeezed), the background behind it.
class UIProgress : public UILabel {
public:
    UIProgress() = default;

    void SetMinValue(int value);
    void SetMaxValue(int value);
    void SetValue(int value);
    int MinValue() const { return m_min; }
    int MaxValue() const { return m_max; }
    // Always within min and max.
    int Value() const { return m_value; }

    // Overridden from UIControl:
    std::string_view GetClass() const override { return "ProgressUI"; }
    bool IsA(std::string_view className) const override;
    void SetAttribute(const std::string& name, const std::string& value) override;

protected:
    void PaintContent(GTPainter& painter) override;

private:
    int m_min { 0 };
    int m_max { 100 };
    int m_value { 0 };
    UIImageRef m_foreImage;
};
