#include "gt/GTEvent.h"

#include "platform/TickCount.h"

GTEvent GTEvent::Mouse(std::int32_t type, int x, int y, std::uint32_t flags) {
    GTEvent event;
    event.type = type;
    event.time = platform::GetTickCount();
    event.flags = flags;
    event.x = x;
    event.y = y;
    return event;
}

GTEvent GTEvent::Key(std::int32_t type, std::uint32_t keyCode, std::uint32_t repeatCount, std::uint32_t keyFlags,
                     std::uint32_t flags) {
    GTEvent event;
    event.type = type;
    event.time = platform::GetTickCount();
    event.flags = flags & (SHIFT_DOWN | CTRL_DOWN | ALT_DOWN);
    event.keyCode = keyCode;
    event.repeatCount = repeatCount;
    event.keyFlags = keyFlags;
    return event;
}
