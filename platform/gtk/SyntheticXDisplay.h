#pragma once

// Include after the platform headers: the X headers define macros (None) that collide with our
// names.
#include <X11/Xlib.h>

namespace platform::synthetic {

// The X connection behind GDK's default display, for the test-only display helpers
// (SyntheticInput.cpp, SyntheticDesktop.cpp); null without a display or on another backend.
Display* XDisplay();

}  // namespace platform::synthetic
