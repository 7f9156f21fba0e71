#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace platform {

class Window;

// Real input for tests that drive windows on a display: the events go through the display
// server as if a person moved the mouse, so the desktop's grabs, drags and double-click timing
// all take part. Needs an X display with the XTEST extension (Xvfb has it).
namespace synthetic {

// False when there is no display or it cannot take synthetic input.
bool Available();

// Why a test cannot drive the display here (no DISPLAY set, the display cannot be opened, or it
// takes no synthetic input), as a sentence to skip the test with; null when it can.
const char* WhyUnusable();

// Held by a test while it drives the display: tests of other processes on the same display wait
// for it, so that two of them never move the one pointer or cover each other's windows.
class ExclusiveUse {
public:
    ExclusiveUse();
    ~ExclusiveUse();
    ExclusiveUse(const ExclusiveUse&) = delete;
    ExclusiveUse& operator=(const ExclusiveUse&) = delete;

private:
    int m_fd { -1 };
};
// Moves the pointer to a screen position.
void MoveTo(int x, int y);
// Presses or releases mouse button 1 (left), 2 (middle) or 3 (right) where the pointer is.
void Press(int button);
void Release(int button);

// What the window shows at a client point, read back from the display as 0xAARRGGBB (alpha
// 0xFF for a window without alpha, colours not premultiplied); nothing when the point is
// outside it or it is not shown.
std::optional<std::uint32_t> ReadWindowPixel(const Window& window, int x, int y);

// Runs the main loop (window events, timers, posted messages) until `done` answers true or
// `timeout` passes; returns `done`'s last answer.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

}  // namespace synthetic
}  // namespace platform
