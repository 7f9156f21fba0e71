#pragma once

#include <string>
#include <vector>

#include "gt/GTFont.h"
#include "gt/GTTypes.h"
#include "gt/GTWidget.h"

// Text that opens a web address when clicked: underlined and in its hover colour while the
// mouse is over it, with the hand cursor.
class GTLinkLabel : public GTWidget {
public:
    struct Link {
        std::string text;
        std::string target;
        // Where the text was last drawn (widget coordinates); empty before the first paint.
        GTRect hitRect;
        GTColor normalColor { GTRgb(0, 0, 0) };
        GTColor hoverColor { GTRgb(0, 0, 0) };
    };

    GTLinkLabel();

    // Replaces every link by one with this text and target, in this colour hovered or not.
    void SetLink(const std::string& text, const std::string& target, GTColor color);
    // Sets the colours of the links.
    void SetLinkColors(GTColor normal, GTColor hover);
    const std::vector<Link>& Links() const { return m_links; }
    // The font by face: 20 pixels high, normal weight, not underlined.
    void SetFont(const std::string& face);
    const GTFont& Font() const { return m_font; }
    bool IsHover() const { return m_hover; }

    // Overridden from GTWidget:
    void PaintSelf(GTPainter& painter) override;
    void OnMouseMove(const GTEvent& event) override;
    void OnMouseEnter(const GTEvent& event) override;
    void OnMouseLeave(const GTEvent& event) override;
    void OnMouseUp(const GTEvent& event, bool cancelled) override;
    platform::CursorKind GetCursorAt(int type, int x, int y) override;

private:
    bool OverLink(int x, int y) const;
    void SetHover(bool hover);

    std::vector<Link> m_links;
    GTFont m_font;
    std::string m_fontFace;
    bool m_hover { false };
};
