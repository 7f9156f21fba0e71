#pragma once

#include <string>

#include "gt/GTFont.h"
#include "gt/GTTypes.h"
#include "gt/GTWidget.h"

// One line of text on a transparent background, optionally with a shadow 2 pixels right and 1
// down.
class GTLabel : public GTWidget {
public:
    GTLabel();

    const std::string& Text() const { return m_text; }
    void SetText(const std::string& text);
    // The font by height, weight and face.
    void SetFont(int height, int weight, const std::string& face);
    void SetTextFont(const GTFont& font);
    const GTFont& Font() const { return m_font; }
    void SetTextColor(GTColor color);
    GTColor TextColor() const { return m_textColor; }
    void SetShadowColor(GTColor color);
    GTColor ShadowColor() const { return m_shadowColor; }
    void SetShadow(bool shadow);
    bool HasShadow() const { return m_shadow; }
    void SetTextFormat(unsigned format);
    unsigned TextFormat() const { return m_textFormat; }

    // Overridden from GTWidget:
    void PaintSelf(GTPainter& painter) override;

private:
    std::string m_text;
    GTFont m_font;
    GTColor m_textColor { GTRgb(0, 0, 0) };
    GTColor m_shadowColor { GTRgb(255, 255, 255) };
    bool m_shadow { false };
    unsigned m_textFormat;
};
