#pragma once

#include <string>

#include "gt/GTTypes.h"
#include "gt/GTWidget.h"

class GTSlice;

// A skin picture stretched over the whole widget as a nine-grid: corners at their own size,
// edges and centre stretched. The usual window background.
class GTBorder : public GTWidget {
public:
    GTBorder() = default;

    // Looks the picture up by skin name and keeps it with the cutting margins.
    void SetSkin(const std::string& skinName, const GTMargins& margins);
    void SetSkin(const std::string& skinName, int left, int top, int right, int bottom) {
        SetSkin(skinName, GTMargins { left, top, right, bottom });
    }
    const GTSlice* Slice() const { return m_slice; }
    const GTMargins& Margins() const { return m_margins; }

    // Overridden from GTWidget:
    void PaintSelf(GTPainter& painter) override;
    void OnRefresh() override;

private:
    std::string m_skinName;
    const GTSlice* m_slice { nullptr };
    GTMargins m_margins;
};
