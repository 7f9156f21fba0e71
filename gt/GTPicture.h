#pragma once

#include <string>

#include "gt/GTWidget.h"

// The skin picture named by the property "Picture", stretched over the widget. Its size is the
// picture's (0 × 0 when the name is not found).
class GTPicture : public GTWidget {
public:
    static constexpr const char* PICTURE_PROPERTY = "Picture";

    GTPicture() = default;

    // Sets the property and lays the picture out.
    void SetPicture(const std::string& skinName);

    // Overridden from GTWidget:
    void PaintSelf(GTPainter& painter) override;
    void Layout() override;
};
