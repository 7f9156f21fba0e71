#include "gt/GTButton.h"

#include "gt/GTMessages.h"
#include "gt/GTPainter.h"
#include "gt/GTResourceManager.h"
#include "gt/GTSkinNames.h"

GTButton::GTButton() : m_textFormat(GT_BUTTON_FORMAT) {}

void GTButton::SetState(State state) {
    if (state == m_state) return;
    m_state = state;
    Invalidate();
}

bool GTButton::IsInside(const GTEvent& event) const {
    return event.x >= 0 && event.x < Width() && event.y >= 0 && event.y < Height();
}

void GTButton::SetEnabled(bool enabled) {
    if (!enabled) {
        SetState(Disabled);
    } else if (m_state == Disabled) {
        SetState(Normal);
    }
}

bool GTButton::IsEnabled() const { return m_state != Disabled; }

bool GTButton::CanFocus() const { return m_state != Disabled && IsFocusable() && IsWidgetEnabled() && IsVisible(); }

bool GTButton::MatchesTrigger(const GTEvent& event) const { return (event.flags & m_triggerMask) != 0; }

void GTButton::ResetState() { SetState(Normal); }

void GTButton::SetHot(bool hot) {
    if (m_state == Disabled) return;
    SetState(hot ? Hot : Normal);
}

bool GTButton::IsHot() const { return m_state == Hot; }

GTSize GTButton::GetNaturalSize() {
    if (!m_normal) return GTSize { 16, 14 };
    return GTSize { m_normal->width, m_normal->height };
}

void GTButton::LoadSkin() {
    const GTResourceManager& skin = GTResourceManager::Instance();
    m_normal = skin.FindSlice(m_skinName + skin::STATE_NORMAL);
    m_hot = skin.FindSlice(m_skinName + skin::STATE_HOT);
    m_pushed = skin.FindSlice(m_skinName + skin::STATE_PUSHED);
    m_disabled = skin.FindSlice(m_skinName + skin::STATE_DISABLE);
    Invalidate();
    Layout();
}

const GTSlice* GTButton::CurrentSlice() const {
    const GTSlice* slice = nullptr;
    switch (m_state) {
        case Normal: slice = m_normal; break;
        case Hot: slice = m_hot; break;
        case Pushed: slice = m_pushed; break;
        case Disabled: slice = m_disabled; break;
    }
    return slice ? slice : m_normal;
}

void GTButton::SetCaption(const std::string& caption) {
    if (caption == m_caption) return;
    m_caption = caption;
    Invalidate();
}

void GTButton::SetFont(const std::string& face) {
    GTFont font;
    font.face = face;
    font.height = 20;
    SetTextFont(font);
}

void GTButton::SetTextFont(const GTFont& font) {
    m_font = font;
    Invalidate();
}

void GTButton::SetTextColor(GTColor color) {
    m_textColor = color;
    Invalidate();
}

void GTButton::SetTextFormat(unsigned format) {
    m_textFormat = format;
    Invalidate();
}

int GTButton::CaptionWidth() {
    if (m_caption.empty()) return 0;
    if (!GetHostWindow()) return static_cast<int>(m_caption.size()) * 12;
    return GTPainter::MeasureText(m_font, m_caption).width;
}

// ---- events ----

bool GTButton::OnMouseDown(const GTEvent& event) {
    if (m_state == Disabled) return true;
    if (MatchesTrigger(event) && IsInside(event)) SetState(Pushed);
    return true;
}

void GTButton::OnMouseDrag(const GTEvent& event) {
    if (m_state == Disabled) return;
    if (!IsInside(event)) {
        SetState(Normal);
    } else {
        SetState(MatchesTrigger(event) ? Pushed : Hot);
    }
}

void GTButton::OnMouseUp(const GTEvent& event, bool cancelled) {
    if (m_state == Disabled) return;
    if (cancelled || !IsInside(event)) {
        SetState(Normal);
    } else if (MatchesTrigger(event)) {
        SetState(Normal);
        OnClickCompleted();
    } else {
        SetState(Hot);
    }
}

void GTButton::OnMouseMove(const GTEvent& event) {
    if (m_state == Disabled) return;
    SetState(IsInside(event) ? Hot : Normal);
}

void GTButton::OnMouseEnter(const GTEvent&) {
    if (m_state == Disabled) return;
    SetState(Hot);
}

void GTButton::OnMouseLeave(const GTEvent&) {
    if (m_state == Disabled) return;
    SetState(Normal);
}

bool GTButton::OnKeyDown(const GTEvent& event) {
    if (m_state == Disabled) return false;
    if (event.keyCode == GT_VK_SPACE) {
        SetState(Pushed);
        return true;
    }
    if (event.keyCode == GT_VK_RETURN) {
        SetState(Normal);
        OnClickCompleted();
        return true;
    }
    return false;
}

bool GTButton::OnKeyUp(const GTEvent& event) {
    if (m_state == Disabled) return false;
    if (event.keyCode == GT_VK_SPACE) {
        SetState(Normal);
        OnClickCompleted();
        return true;
    }
    return false;
}

// The last thing a handler does: a connected handler may destroy the button's window.
void GTButton::OnClickCompleted() { Clicked.emit(this); }

void GTButton::OnRefresh() {
    if (!m_skinName.empty()) LoadSkin();
}

// ---- layout and painting ----

void GTButton::Layout() {
    GTSize size = GetNaturalSize();
    const GTRect& g = Geometry();
    SetGeometry(GTRect::FromSize(g.left, g.top, size.width, size.height));
    GTWidget::Layout();
}

void GTButton::PaintSelf(GTPainter& painter) {
    painter.DrawSlice(CurrentSlice(), 0, 0, Width(), Height());
    if (!m_caption.empty()) {
        int shift = m_state == Pushed ? 2 : 0;
        GTRect rect = GTRect::FromSize(0, 0, Width(), Height()).Offset(2 + shift, shift);
        painter.SetFont(m_font);
        painter.SetTextColor(m_textColor);
        painter.DrawText(m_caption, rect, m_textFormat);
    }
    PaintDebugFrame(painter);
}
