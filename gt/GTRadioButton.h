#pragma once

#include "gt/GTCheckBox.h"

// A button of a group of which one is checked. A completed click only reports Chosen: the
// owner checks it and unchecks the others with SetChecked. Pictures and painting as for
// GTCheckBox; the inherited Toggled is never emitted.
class GTRadioButton : public GTCheckBox {
public:
    GTRadioButton() = default;

    // The button was clicked (argument: the button).
    sigc::signal<void(GTWidget*)> Chosen;

    // Room between picture and caption counted in the natural size.
    int Gap() const { return m_gap; }
    void SetGap(int gap) { m_gap = gap; }

    // Overridden from GTCheckBox:
    GTSize GetNaturalSize() override;
    // Looks the five pictures up, then lays the button out.
    void LoadSkin() override;

protected:
    void OnClickCompleted() override;

private:
    int m_gap { 0 };
};
