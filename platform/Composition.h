#pragma once

namespace platform {

// Whether the screen is composited, i.e. whether a window can show per-pixel alpha over what lies
// behind it. False without a display. The drop shadow is shown exactly when this is true: no
// compositor here draws a shadow for an undecorated window, and a shadow window with alpha only
// shows on a composited screen.
bool IsCompositionEnabled();

}  // namespace platform
