#include "uninstall/ui/UIAnimation.h"

#include <algorithm>

#include "gt/GTImage.h"
#include "uninstall/ui/UIWindow.h"

UIAnimation::~UIAnimation() {
    if (m_timer && Manager()) Manager()->KillControlTimer(m_timer);
}

bool UIAnimation::IsA(std::string_view className) const {
    return className == "ButtonGifUI" || UIButton::IsA(className);
}

void UIAnimation::SetAttribute(const std::string& name, const std::string& value) {
    if (name == "gifimage") {
        m_sheet = ParseUIImageRef(value);
    } else if (name == "frames") {
        m_frames = std::max(1, ParseUIInt(value));
    } else if (name == "interval") {
        m_interval = static_cast<std::uint32_t>(std::max(20, ParseUIInt(value)));
    } else {
        UIButton::SetAttribute(name, value);
    }
}

void UIAnimation::Advance() {
    m_frame = (m_frame + 1) % m_frames;
    Invalidate();
}

void UIAnimation::OnHostCreated() { UpdateTimer(); }

void UIAnimation::OnShownChanged() {
    UIButton::OnShownChanged();
    UpdateTimer();
}

void UIAnimation::UpdateTimer() {
    UIWindow* window = Manager();
    if (!window) return;
    const bool run = m_frames > 1 && IsShown() && window->Host();
    if (run && !m_timer) {
        m_timer = window->SetControlTimer(this, m_interval);
    } else if (!run && m_timer) {
        window->KillControlTimer(m_timer);
        m_timer = 0;
    }
}

void UIAnimation::PaintContent(GTPainter& painter) {
    UIButton::PaintContent(painter);
    if (!m_sheet.IsSet() || !Manager()) return;
    const GTImage* sheet = Manager()->Image(m_sheet.number);
    if (!sheet) return;
    const int frameWidth = sheet->Width() / m_frames;
    UIImageRef frame = m_sheet;
    frame.hasSource = true;
    frame.source = GTRect::FromSize(frameWidth * m_frame, 0, frameWidth, sheet->Height());
    DrawImage(painter, frame);
}
