#pragma once

#include <string>

namespace platform {

// The user's folders as the desktop's base-directory and user-directory conventions name them.
// Host paths without a trailing "/". Read afresh at every call, so the XDG_* variables a program
// (or a test) sets take effect at once; a relative value in one of them is ignored, as the
// conventions require. Nothing is created.

// $HOME, or the home directory of the user's account entry.
std::string HomeDirectory();
// $XDG_CONFIG_HOME, default ~/.config.
std::string UserConfigDirectory();
// $XDG_DATA_HOME, default ~/.local/share.
std::string UserDataDirectory();
// XDG_DESKTOP_DIR of $XDG_CONFIG_HOME/user-dirs.dirs, default ~/Desktop.
std::string DesktopDirectory();
// Where menu entries live: UserDataDirectory() + "/applications" (the Programs folder).
std::string ProgramsDirectory();
// Where entries started at log-in live: UserConfigDirectory() + "/autostart".
std::string AutostartDirectory();

}  // namespace platform
