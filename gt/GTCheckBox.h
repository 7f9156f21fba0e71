#pragma once

#include "gt/GTButton.h"

// A button that flips a checked flag on every completed click and reports it with Toggled.
// Pictures: base name + ".normal.checked", ".hot.checked", ".normal.unchecked",
// ".hot.unchecked", ".disable"; pushed shows the hot picture, and the disabled picture does not
// depend on the flag. The caption stands right of the picture.
class GTCheckBox : public GTButton {
public:
    GTCheckBox() = default;

    // The flag changed by a click (argument: the check box).
    sigc::signal<void(GTWidget*)> Toggled;

    bool IsChecked() const { return m_checked; }
    // Invalidates only when the flag changes; emits nothing.
    virtual void SetChecked(bool checked);

    // Overridden from GTButton:
    GTSize GetNaturalSize() override;
    // Looks the five pictures up; the size follows at the next layout.
    void LoadSkin() override;
    const GTSlice* CurrentSlice() const override;
    void PaintSelf(GTPainter& painter) override;

protected:
    void OnClickCompleted() override;

    const GTSlice* m_hotChecked { nullptr };
    const GTSlice* m_normalChecked { nullptr };
    const GTSlice* m_hotUnchecked { nullptr };
    const GTSlice* m_normalUnchecked { nullptr };
    const GTSlice* m_disabledPicture { nullptr };

private:
    bool m_checked { false };
};
