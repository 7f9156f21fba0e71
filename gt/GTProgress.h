#pragma once

#include <cstdint>
#include <string>

#include "gt/GTWidget.h"

// A progress bar: a three-part track (properties "LeftImg", "MidImg", "RightImg") and a bar
// ("BarImg") inset 7 pixels in the track, as wide as value ÷ (maximum − minimum) of the
// widget. A track whose parts do not all resolve is not drawn; an empty range draws no bar.
class GTProgress : public GTWidget {
public:
    static constexpr const char* LEFT_IMAGE = "LeftImg";
    static constexpr const char* MID_IMAGE = "MidImg";
    static constexpr const char* RIGHT_IMAGE = "RightImg";
    static constexpr const char* BAR_IMAGE = "BarImg";

    GTProgress() = default;

    std::int32_t Value() const { return m_value; }
    std::int32_t Minimum() const { return m_minimum; }
    std::int32_t Maximum() const { return m_maximum; }
    void SetValue(std::int32_t value);
    void SetRange(std::int32_t minimum, std::int32_t maximum);
    // Sets the four picture properties.
    void SetImages(const std::string& left, const std::string& mid, const std::string& right, const std::string& bar);
    // Width of the bar for the current value (before the inset).
    int BarWidth() const;

    // Overridden from GTWidget:
    void PaintSelf(GTPainter& painter) override;

private:
    std::int32_t m_value { 0 };
    std::int32_t m_minimum { 0 };
    std::int32_t m_maximum { 0 };
};
