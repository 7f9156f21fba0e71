#include "gt/GTBorder.h"

#include "gt/GTPainter.h"
#include "gt/GTResourceManager.h"

void GTBorder::SetSkin(const std::string& skinName, const GTMargins& margins) {
    m_skinName = skinName;
    m_slice = GTResourceManager::Instance().FindSlice(skinName);
    m_margins = margins;
    Invalidate();
}

void GTBorder::PaintSelf(GTPainter& painter) {
    if (m_slice) {
        painter.DrawNineGrid(m_slice, GTRect::FromSize(0, 0, Width(), Height()), m_margins.left, m_margins.top,
                             m_margins.right, m_margins.bottom);
    }
    PaintDebugFrame(painter);
}

void GTBorder::OnRefresh() {
    if (!m_skinName.empty()) m_slice = GTResourceManager::Instance().FindSlice(m_skinName);
}
