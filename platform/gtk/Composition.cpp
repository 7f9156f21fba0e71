#include "platform/Composition.h"

#include <gtk/gtk.h>

namespace platform {

bool IsCompositionEnabled() {
    // No default screen until the toolkit has opened a display.
    GdkScreen* screen = gdk_screen_get_default();
    return screen != nullptr && gdk_screen_is_composited(screen);
}

}  // namespace platform
