#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

#include "platform/Window.h"

namespace platform::synthetic {

// What tests see of the whole display, beyond their own windows (see SyntheticInput.h for the
// mouse). Needs an X display.

// Screen rectangle of a shown top-level window of any program on the display whose title is
// exactly `title`; nothing when there is none.
std::optional<WindowRect> FindDesktopWindow(const std::string& title);

// Presses or releases a key through the display server, named as X names key symbols ("u",
// "Return", "Control_L", "space"). False when the display has no key for it.
bool KeyDown(const std::string& keysym);
bool KeyUp(const std::string& keysym);
// Presses and releases the key while the modifiers (key symbol names) are held.
bool TypeKey(const std::string& keysym, std::initializer_list<const char*> modifiers = {});

// What the screen shows at a point, as 0xFFRRGGBB; nothing outside the screen.
std::optional<std::uint32_t> ReadScreenPixel(int x, int y);

// Writes what the screen shows into a PNG file.
bool SaveScreenshot(const std::string& path);

}  // namespace platform::synthetic
