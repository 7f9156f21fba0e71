#include "uninstall/ui/UIControls.h"

#include <algorithm>

#include "gt/GTPainter.h"
#include "uninstall/ui/UIWindow.h"

namespace {

constexpr int STATE_COUNT = 4;

int StateIndex(UIButton::State state) { return static_cast<int>(state); }

}  // namespace

// ---- labels ----

bool UILabel::IsA(std::string_view className) const {
    return className == GetClass() || className == "LabelUI" || UIControl::IsA(className);
}

void UILabel::SetText(const std::string& text) {
    if (text == m_text) return;
    m_text = text;
    Invalidate();
}

void UILabel::SetAttribute(const std::string& name, const std::string& value) {
    if (name == "text") {
        SetText(value);
    } else if (name == "font") {
        m_font = ParseUIInt(value);
    } else if (name == "textcolor") {
        m_textColor = ParseUIColor(value);
    } else if (name == "strokecolor") {
        m_strokeColor = ParseUIColor(value);
    } else if (name == "align") {
        m_align = value == "center" ? GT_DT_CENTER : value == "right" ? GT_DT_RIGHT : GT_DT_LEFT;
    } else if (name == "textpadding") {
        m_textPadding = ParseUIRect(value);
    } else {
        UIControl::SetAttribute(name, value);
    }
}

void UILabel::PaintContent(GTPainter& painter) {
    if (m_text.empty()) return;
    const GTRect rect { m_textPadding.left, m_textPadding.top, Width() - m_textPadding.right,
                        Height() - m_textPadding.bottom };
    if (rect.IsEmpty()) return;
    if (UIWindow* window = Manager()) painter.SetFont(window->Font(m_font));
    const unsigned format = m_align | GT_DT_VCENTER | GT_DT_SINGLELINE | GT_DT_NOPREFIX | GT_DT_END_ELLIPSIS;
    const GTColor color = UIColorToGT(CurrentTextColor());
    if (m_strokeColor >> 24) {
        painter.DrawShadowText(m_text, rect, format, color, UIColorToGT(m_strokeColor), 1, 0);
    } else {
        painter.SetTextColor(color);
        painter.DrawText(m_text, rect, format);
    }
}

// ---- buttons ----

UIButton::UIButton() {
    // Button texts are centred unless the layout says otherwise.
    UILabel::SetAttribute("align", "center");
}

bool UIButton::IsA(std::string_view className) const {
    return className == "ButtonUI" || UILabel::IsA(className);
}

void UIButton::SetAttribute(const std::string& name, const std::string& value) {
    static const char* const images[STATE_COUNT] = { "normalimage", "hotimage", "pushedimage",
                                                     "disabledimage" };
    static const char* const colors[STATE_COUNT] = { "", "hottextcolor", "pushedtextcolor",
                                                     "disabledtextcolor" };
    for (int i = 0; i < STATE_COUNT; ++i) {
        if (name == images[i]) {
            m_images[i] = ParseUIImageRef(value);
            return;
        }
        if (i > 0 && name == colors[i]) {
            m_stateTextColors[i] = ParseUIColor(value);
            return;
        }
    }
    if (name == "enabled") {
        SetEnabled(ParseUIBool(value));
    } else {
        UILabel::SetAttribute(name, value);
    }
}

void UIButton::SetState(State state) {
    if (state == m_state) return;
    m_state = state;
    Invalidate();
}

void UIButton::SetEnabled(bool enabled) {
    if (!enabled) {
        SetState(State::Disabled);
    } else if (m_state == State::Disabled) {
        SetState(State::Normal);
    }
}

bool UIButton::IsInside(const GTEvent& event) const {
    return event.x >= 0 && event.y >= 0 && event.x < Width() && event.y < Height();
}

void UIButton::Activate() {
    if (!IsEnabled()) return;
    if (UIWindow* window = Manager()) window->SendNotify(this, UI_NOTIFY_CLICK);
}

void UIButton::OnShownChanged() {
    // A button that went away while hot or pushed comes back normal.
    if (m_state != State::Disabled) SetState(State::Normal);
}

bool UIButton::OnMouseDown(const GTEvent& event) {
    if (m_state == State::Disabled) return true;
    if ((event.flags & GTEvent::LEFT_BUTTON) && IsInside(event)) SetState(State::Pushed);
    return true;
}

void UIButton::OnMouseDrag(const GTEvent& event) {
    if (m_state == State::Disabled) return;
    SetState(IsInside(event) ? State::Pushed : State::Normal);
}

void UIButton::OnMouseUp(const GTEvent& event, bool cancelled) {
    if (m_state == State::Disabled) return;
    const bool click = !cancelled && IsInside(event) && m_state == State::Pushed;
    SetState(!cancelled && IsInside(event) ? State::Hot : State::Normal);
    // Last: the handler may hide this button or end the window.
    if (click) Activate();
}

void UIButton::OnMouseEnter(const GTEvent&) {
    if (m_state == State::Normal) SetState(State::Hot);
}

void UIButton::OnMouseLeave(const GTEvent&) {
    if (m_state == State::Hot) SetState(State::Normal);
}

const UIImageRef& UIButton::CurrentImage() const {
    const UIImageRef& wanted = m_images[StateIndex(m_state)];
    return wanted.IsSet() ? wanted : m_images[0];
}

std::uint32_t UIButton::CurrentTextColor() const {
    const std::uint32_t color = m_stateTextColors[StateIndex(m_state)];
    return color ? color : TextColor();
}

void UIButton::PaintContent(GTPainter& painter) {
    DrawImage(painter, CurrentImage());
    UILabel::PaintContent(painter);
}

// ---- check boxes ----

bool UICheckBox::IsA(std::string_view className) const {
    return className == "CheckBoxUI" || className == "OptionUI" || UIButton::IsA(className);
}

void UICheckBox::SetAttribute(const std::string& name, const std::string& value) {
    if (name == "selected") {
        Selected(ParseUIBool(value));
    } else if (name == "selectedimage") {
        m_selectedImage = ParseUIImageRef(value);
    } else if (name == "selectedhotimage") {
        m_selectedHotImage = ParseUIImageRef(value);
    } else {
        UIButton::SetAttribute(name, value);
    }
}

void UICheckBox::Selected(bool selected) {
    if (selected == m_selected) return;
    m_selected = selected;
    Invalidate();
}

void UICheckBox::Activate() {
    if (!IsEnabled()) return;
    UIButton::Activate();
    Selected(!m_selected);
}

const UIImageRef& UICheckBox::CurrentImage() const {
    if (!m_selected) return UIButton::CurrentImage();
    const bool hot = GetState() == State::Hot || GetState() == State::Pushed;
    if (hot && m_selectedHotImage.IsSet()) return m_selectedHotImage;
    return m_selectedImage.IsSet() ? m_selectedImage : UIButton::CurrentImage();
}

// ---- progress ----

bool UIProgress::IsA(std::string_view className) const {
    return className == "ProgressUI" || UILabel::IsA(className);
}

void UIProgress::SetAttribute(const std::string& name, const std::string& value) {
    if (name == "min") {
        SetMinValue(ParseUIInt(value));
    } else if (name == "max") {
        SetMaxValue(ParseUIInt(value));
    } else if (name == "value") {
        SetValue(ParseUIInt(value));
    } else if (name == "foreimage") {
        m_foreImage = ParseUIImageRef(value);
    } else {
        UILabel::SetAttribute(name, value);
    }
}

void UIProgress::SetMinValue(int value) {
    m_min = value;
    m_max = std::max(m_max, m_min);
    SetValue(m_value);
    Invalidate();
}

void UIProgress::SetMaxValue(int value) {
    m_max = value;
    m_min = std::min(m_min, m_max);
    SetValue(m_value);
    Invalidate();
}

void UIProgress::SetValue(int value) {
    value = std::clamp(value, m_min, m_max);
    if (value == m_value) return;
    m_value = value;
    Invalidate();
}

void UIProgress::PaintContent(GTPainter& painter) {
    if (m_max > m_min && m_value > m_min) {
        const long long filled = static_cast<long long>(Width()) * (m_value - m_min) / (m_max - m_min);
        const GTRect part = GTRect::FromSize(0, 0, static_cast<int>(filled), Height());
        UIImageRef cut = m_foreImage;
        if (!cut.hasSource) {
            cut.hasSource = true;
            cut.source = part;
        }
        DrawImage(painter, cut, part);
    }
    UILabel::PaintContent(painter);
}
