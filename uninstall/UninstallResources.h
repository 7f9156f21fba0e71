#pragma once

#include <span>

#include "uninstall/ui/UIResources.h"

// The uninstaller's resources: its layout document and its pictures, generated at build time by
// tools/uninstall_skingen.cpp from UninstallLayout.xml and the pictures that tool draws.
std::span<const UIResourceEntry> UninstallResourceTable();

namespace uninstall_res {

inline constexpr const char* TYPE_XML = "XML";
inline constexpr const char* TYPE_PNG = "PNG";

// The main window's layout.
inline constexpr int LAYOUT_MAIN = 114;

// Pictures, referred to by these numbers from the layout.
inline constexpr int PIC_BACKGROUND = 130;     // 537 × 402, drawn 4 pixels from the left edge
inline constexpr int PIC_LEFT = 131;           // 285 × 351, the farewell card on the felt
inline constexpr int PIC_CRYING = 132;         // 8 frames of 100 × 56 side by side
inline constexpr int PIC_BUTTON_NORMAL = 133;  // 119 × 39 each
inline constexpr int PIC_BUTTON_HOT = 134;
inline constexpr int PIC_BUTTON_PUSHED = 135;
inline constexpr int PIC_BUTTON_DISABLED = 136;
inline constexpr int PIC_CHECK_OFF = 137;  // 27 × 19 each
inline constexpr int PIC_CHECK_ON = 138;
inline constexpr int PIC_CHECK_OFF_HOT = 139;
inline constexpr int PIC_CHECK_ON_HOT = 140;
inline constexpr int PIC_PACKING = 141;         // 204 × 74, steps 3 and 4
inline constexpr int PIC_PROGRESS_TRACK = 142;  // 538 × 16
inline constexpr int PIC_PROGRESS_BAR = 143;    // 538 × 11

inline constexpr int CRYING_FRAMES = 8;

}  // namespace uninstall_res
