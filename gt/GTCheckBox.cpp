#include "gt/GTCheckBox.h"

#include "gt/GTPainter.h"
#include "gt/GTResourceManager.h"
#include "gt/GTSkinNames.h"

void GTCheckBox::SetChecked(bool checked) {
    if (checked == m_checked) return;
    m_checked = checked;
    Invalidate();
}

void GTCheckBox::OnClickCompleted() {
    m_checked = !m_checked;
    Invalidate();
    Toggled.emit(this);
}

GTSize GTCheckBox::GetNaturalSize() {
    if (!m_normalChecked) return GTSize { 16, 14 };
    return GTSize { m_normalChecked->width + CaptionWidth() + 5, m_normalChecked->height };
}

void GTCheckBox::LoadSkin() {
    const GTResourceManager& skin = GTResourceManager::Instance();
    const std::string& base = SkinName();
    m_normalChecked = skin.FindSlice(base + skin::STATE_NORMAL_CHECKED);
    m_hotChecked = skin.FindSlice(base + skin::STATE_HOT_CHECKED);
    m_normalUnchecked = skin.FindSlice(base + skin::STATE_NORMAL_UNCHECKED);
    m_hotUnchecked = skin.FindSlice(base + skin::STATE_HOT_UNCHECKED);
    m_disabledPicture = skin.FindSlice(base + skin::STATE_DISABLE);
    Invalidate();
}

const GTSlice* GTCheckBox::CurrentSlice() const {
    const GTSlice* normal = m_checked ? m_normalChecked : m_normalUnchecked;
    const GTSlice* slice = nullptr;
    switch (GetState()) {
        case Hot:
        case Pushed: slice = m_checked ? m_hotChecked : m_hotUnchecked; break;
        case Disabled: slice = m_disabledPicture; break;
        case Normal: slice = normal; break;
    }
    return slice ? slice : normal;
}

void GTCheckBox::PaintSelf(GTPainter& painter) {
    const GTSlice* slice = CurrentSlice();
    if (slice) painter.DrawSlice(slice, 0, 0, slice->width, slice->height);
    if (!Caption().empty()) {
        int left = (m_normalChecked ? m_normalChecked->width : 0) + 5;
        painter.SetFont(Font());
        painter.SetTextColor(TextColor());
        painter.DrawText(Caption(), GTRect { left, 0, Width(), Height() }, GT_BUTTON_FORMAT);
    }
    PaintDebugFrame(painter);
}
