#include "gt/GTLinkLabel.h"

#include "gt/GTPainter.h"
#include "platform/ShellOpen.h"

GTLinkLabel::GTLinkLabel() { m_fontFace = m_font.face; }

void GTLinkLabel::SetLink(const std::string& text, const std::string& target, GTColor color) {
    m_links.clear();
    Link link;
    link.text = text;
    link.target = target;
    link.normalColor = color;
    link.hoverColor = color;
    m_links.push_back(link);
    Invalidate();
}

void GTLinkLabel::SetLinkColors(GTColor normal, GTColor hover) {
    for (Link& link : m_links) {
        link.normalColor = normal;
        link.hoverColor = hover;
    }
    Invalidate();
}

void GTLinkLabel::SetFont(const std::string& face) {
    m_fontFace = face;
    m_font = GTFont {};
    m_font.face = face;
    m_font.height = 20;
    m_font.weight = 400;
    m_font.underline = m_hover;
    Invalidate();
}

void GTLinkLabel::PaintSelf(GTPainter& painter) {
    painter.SetFont(m_font);
    GTRect full = GTRect::FromSize(0, 0, Width(), Height());
    for (Link& link : m_links) {
        if (link.text.empty()) continue;
        GTRect measured = full;
        painter.DrawText(link.text, measured, GT_DT_SINGLELINE | GT_DT_NOPREFIX | GT_DT_END_ELLIPSIS | GT_DT_CALCRECT);
        GTRect rect = measured.Offset(0, (Height() - measured.Height()) / 2);
        painter.SetTextColor(m_hover ? link.hoverColor : link.normalColor);
        painter.DrawText(link.text, rect, GT_LABEL_FORMAT);
        link.hitRect = rect;
    }
    PaintDebugFrame(painter);
}

bool GTLinkLabel::OverLink(int x, int y) const {
    for (const Link& link : m_links) {
        if (link.hitRect.Contains(x, y)) return true;
    }
    return false;
}

void GTLinkLabel::SetHover(bool hover) {
    if (hover == m_hover) return;
    m_hover = hover;
    m_font.underline = hover;
    Invalidate();
}

void GTLinkLabel::OnMouseMove(const GTEvent& event) { SetHover(OverLink(event.x, event.y)); }

void GTLinkLabel::OnMouseEnter(const GTEvent& event) { SetHover(OverLink(event.x, event.y)); }

void GTLinkLabel::OnMouseLeave(const GTEvent&) { SetHover(false); }

void GTLinkLabel::OnMouseUp(const GTEvent& event, bool cancelled) {
    if (cancelled) return;
    // Copies: opening a page may run the main loop, and the links may change meanwhile.
    std::vector<Link> links = m_links;
    for (const Link& link : links) {
        if (link.hitRect.Contains(event.x, event.y) && !link.target.empty()) platform::ShellOpen(link.target);
    }
}

platform::CursorKind GTLinkLabel::GetCursorAt(int, int x, int y) {
    return OverLink(x, y) ? platform::CursorKind::Hand : platform::CursorKind::None;
}
