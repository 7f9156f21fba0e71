#include "gt/GTRadioButton.h"

#include "gt/GTSlice.h"

GTSize GTRadioButton::GetNaturalSize() {
    if (!m_normalChecked) return GTSize { 16, 14 };
    return GTSize { m_normalChecked->width + CaptionWidth() + m_gap, m_normalChecked->height };
}

void GTRadioButton::LoadSkin() {
    GTCheckBox::LoadSkin();
    Layout();
}

void GTRadioButton::OnClickCompleted() { Chosen.emit(this); }
