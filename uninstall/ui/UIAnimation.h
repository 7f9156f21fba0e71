#pragma once

#include <cstdint>

#include "uninstall/ui/UIControls.h"

// A button that shows an animated picture: the frames stand side by side in one picture
// (gifimage), each as wide as the picture divided by frames, shown in turn every interval
// milliseconds while the control is shown and the window has a desktop window. It clicks like any
// button.
class UIAnimation : public UIButton {
public:
    UIAnimation() = default;
    ~UIAnimation() override;

    int FrameCount() const { return m_frames; }
    int CurrentFrame() const { return m_frame; }
    // Shows the next frame (the window's timer calls it).
    void Advance();

    // Overridden from UIControl:
    bool IsA(std::string_view className) const override;
    void SetAttribute(const std::string& name, const std::string& value) override;
    void OnHostCreated() override;
    void OnShownChanged() override;

protected:
    void PaintContent(GTPainter& painter) override;

private:
    void UpdateTimer();

    UIImageRef m_sheet;
    int m_frames { 1 };
    int m_frame { 0 };
    std::uint32_t m_interval { 100 };
    std::uint32_t m_timer { 0 };
};
