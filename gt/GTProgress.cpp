#include "gt/GTProgress.h"

#include "gt/GTPainter.h"
#include "gt/GTResourceManager.h"

void GTProgress::SetValue(std::int32_t value) {
    if (value == m_value) return;
    m_value = value;
    Invalidate();
}

void GTProgress::SetRange(std::int32_t minimum, std::int32_t maximum) {
    if (minimum == m_minimum && maximum == m_maximum) return;
    m_minimum = minimum;
    m_maximum = maximum;
    Invalidate();
}

void GTProgress::SetImages(const std::string& left, const std::string& mid, const std::string& right,
                           const std::string& bar) {
    PutProperty(LEFT_IMAGE, left);
    PutProperty(MID_IMAGE, mid);
    PutProperty(RIGHT_IMAGE, right);
    PutProperty(BAR_IMAGE, bar);
    Invalidate();
}

int GTProgress::BarWidth() const {
    double range = static_cast<double>(m_maximum) - static_cast<double>(m_minimum);
    if (range == 0) return 0;
    return static_cast<int>(static_cast<double>(m_value) / range * Width());
}

void GTProgress::PaintSelf(GTPainter& painter) {
    const GTResourceManager& skin = GTResourceManager::Instance();
    int w = Width(), h = Height();
    const GTSlice* left = skin.FindSlice(GetProperty(LEFT_IMAGE));
    const GTSlice* mid = skin.FindSlice(GetProperty(MID_IMAGE));
    const GTSlice* right = skin.FindSlice(GetProperty(RIGHT_IMAGE));
    if (left && mid && right) {
        painter.DrawSlice(left, 0, 0, left->width, h);
        painter.DrawSlice(mid, left->width, 0, w - left->width - right->width, h);
        painter.DrawSlice(right, w - right->width, 0, right->width, h);
    }
    if (const GTSlice* bar = skin.FindSlice(GetProperty(BAR_IMAGE))) {
        int barWidth = BarWidth();
        painter.DrawSlice(bar, 7, 7, barWidth - 14, h - 14);
    }
    PaintDebugFrame(painter);
}
