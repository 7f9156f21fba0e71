#pragma once

#include <cstdint>

// One input event as the widget tree sees it. Mouse positions are in the receiving widget's
// coordinates when delivered (window coordinates for the root; screen coordinates for the
// wheel).
struct GTEvent {
    enum Type : std::int32_t {
        MouseDown = 1,   // left, right or middle press; left and middle double click
        MouseDrag = 2,   // move while a button is held and the mouse is captured
        MouseUp = 3,
        MouseMove = 4,   // move otherwise
        MouseEnter = 5,  // made by the root when the hover widget changes
        MouseLeave = 6,  // the same, or the mouse left the window
        KeyDown = 7,
        KeyUp = 8,
        MouseWheel = 9,
    };

    // Flags. Key events carry only the first three.
    static constexpr std::uint32_t SHIFT_DOWN = 0x1;
    static constexpr std::uint32_t CTRL_DOWN = 0x2;
    static constexpr std::uint32_t ALT_DOWN = 0x4;
    static constexpr std::uint32_t LEFT_BUTTON = 0x8;
    static constexpr std::uint32_t MIDDLE_BUTTON = 0x10;
    static constexpr std::uint32_t RIGHT_BUTTON = 0x20;
    // A double-click press carries both; the root keeps SAME_WIDGET only when the widget taking
    // the press also took the previous one.
    static constexpr std::uint32_t SAME_WIDGET = 0x10000;
    static constexpr std::uint32_t DOUBLE_CLICK = 0x20000;

    std::int32_t type { 0 };
    // Milliseconds since the system started, taken when the event was made.
    std::uint32_t time { 0 };
    std::uint32_t flags { 0 };
    std::int32_t x { 0 };
    std::int32_t y { 0 };
    std::uint32_t keyCode { 0 };
    std::uint32_t repeatCount { 0 };
    std::uint32_t keyFlags { 0 };
    std::int16_t wheelDelta { 0 };

    // A mouse event stamped with the current time.
    static GTEvent Mouse(std::int32_t type, int x, int y, std::uint32_t flags);
    // A key event stamped with the current time.
    static GTEvent Key(std::int32_t type, std::uint32_t keyCode, std::uint32_t repeatCount, std::uint32_t keyFlags,
                       std::uint32_t flags);
};
