#include "gt/GTLabel.h"

#include "gt/GTPainter.h"

GTLabel::GTLabel() : m_textFormat(GT_LABEL_FORMAT) {}

void GTLabel::SetText(const std::string& text) {
    if (text == m_text) return;
    m_text = text;
    Invalidate();
}

void GTLabel::SetFont(int height, int weight, const std::string& face) {
    GTFont font;
    font.face = face;
    font.height = height;
    font.weight = weight;
    SetTextFont(font);
}

void GTLabel::SetTextFont(const GTFont& font) {
    m_font = font;
    Invalidate();
}

void GTLabel::SetTextColor(GTColor color) {
    m_textColor = color;
    Invalidate();
}

void GTLabel::SetShadowColor(GTColor color) {
    m_shadowColor = color;
    Invalidate();
}

void GTLabel::SetShadow(bool shadow) {
    m_shadow = shadow;
    Invalidate();
}

void GTLabel::SetTextFormat(unsigned format) {
    m_textFormat = format;
    Invalidate();
}

void GTLabel::PaintSelf(GTPainter& painter) {
    if (!m_text.empty()) {
        GTRect rect = GTRect::FromSize(0, 0, Width(), Height());
        painter.SetFont(m_font);
        if (m_shadow) {
            painter.DrawShadowText(m_text, rect, m_textFormat, m_textColor, m_shadowColor, 2, 1);
        } else {
            painter.SetTextColor(m_textColor);
            painter.DrawText(m_text, rect, m_textFormat);
        }
    }
    PaintDebugFrame(painter);
}
