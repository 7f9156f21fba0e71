#include "uninstall/ui/UIRichEdit.h"

#include <algorithm>
#include <cmath>

#include "gt/GTPainter.h"
#include "platform/TextField.h"
#include "uninstall/ui/UIWindow.h"

UIRichEdit::UIRichEdit() = default;
UIRichEdit::~UIRichEdit() = default;

bool UIRichEdit::IsA(std::string_view className) const {
    return className == "RichEditUI" || UIControl::IsA(className);
}

void UIRichEdit::SetAttribute(const std::string& name, const std::string& value) {
    if (name == "text") {
        SetText(value);
    } else if (name == "font") {
        m_font = ParseUIInt(value);
    } else if (name == "textcolor") {
        m_textColor = ParseUIColor(value);
    } else if (name == "inset") {
        const GTRect inset = ParseUIRect(value);
        m_inset = std::max({ 0, inset.left, inset.top, inset.right, inset.bottom });
    } else if (name == "maxchar") {
        SetLimitText(ParseUIInt(value));
    } else {
        UIControl::SetAttribute(name, value);
    }
}

std::string UIRichEdit::GetText() const { return m_field ? m_field->Text() : m_text; }

void UIRichEdit::SetText(const std::string& text) {
    m_text =
        m_limit > 0 ? std::string(platform::CutToCharacters(text, static_cast<std::size_t>(m_limit))) : text;
    if (m_field) m_field->SetText(m_text);
}

void UIRichEdit::SetLimitText(int characters) {
    m_limit = std::max(0, characters);
    if (m_field) m_field->SetMaxLength(m_limit);
}

void UIRichEdit::SetFocus() {
    if (m_field) m_field->Focus();
}

void UIRichEdit::OnHostCreated() {
    UIWindow* window = Manager();
    platform::Window* host = window ? window->Host() : nullptr;
    if (!host || m_field) return;
    const GTFont font = window->Font(m_font);
    platform::TextFieldLook look;
    look.fontFamily = GTPainter::ResolveFontFamily(font.face);
    // The painter's em size for the font: a negative height is the em itself.
    look.fontPixels = font.height < 0 ? -font.height : std::max(1, GTPainter::LineHeight(font)) * 0.8;
    look.textColor = m_textColor;
    look.inset = m_inset;
    const GTRect r = WindowRect();
    m_field =
        platform::TextField::Create(*host, platform::WindowRect { r.left, r.top, r.right, r.bottom }, look);
    if (!m_field) return;
    m_field->SetMaxLength(m_limit);
    m_field->SetText(m_text);
    m_field->SetVisible(IsShown());
}

void UIRichEdit::OnShownChanged() {
    if (!m_field) return;
    m_field->SetVisible(IsShown());
}

void UIRichEdit::Layout() {
    UIControl::Layout();
    PlaceField();
}

void UIRichEdit::PlaceField() {
    if (!m_field) return;
    const GTRect r = WindowRect();
    m_field->SetBounds(platform::WindowRect { r.left, r.top, r.right, r.bottom });
}
