#pragma once

#include <cstdint>

// Private window messages of the uninstaller.

// Removal progress, posted by the removal job to the window that started it: wParam = percent
// (0 to 100), lParam 0. The job always ends with one post of 100. No payload.
inline constexpr std::uint32_t WM_REMOVAL_PROGRESS = 5436;
