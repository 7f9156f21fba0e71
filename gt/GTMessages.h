#pragma once

#include <cstdint>

#include "platform/Window.h"

// Message numbers, style bits and window vocabulary of the toolkit's windows.

// Private window messages of the toolkit (posted to a GTWindow; no payload).
// Repaint request: the root posts it once per cycle of invalidations; its handler repaints the
// gathered dirty area.
constexpr std::uint32_t WM_GT_REPAINT = 9912;
// Refresh: pass it on to the child windows, call every OnRefresh hook and repaint the whole
// window. A non-zero lParam makes a child window pass it on too.
constexpr std::uint32_t WM_GT_REFRESH = 9913;

// The title of windows created without one; other programs find a running client by it.
inline constexpr const char* GT_HOST_WINDOW_CLASS = "Tlvc - HostWnd";

// The platform's window vocabulary under the names the windows use.
using platform::WM_CLOSE;
using platform::WM_SYSCOMMAND;

using platform::SC_CLOSE;
using platform::SC_MAXIMIZE;
using platform::SC_MINIMIZE;
using platform::SC_MOVE;
using platform::SC_RESTORE;
using platform::SC_SIZE;

using platform::WS_BORDER;
using platform::WS_CAPTION;
using platform::WS_CHILD;
using platform::WS_CLIPCHILDREN;
using platform::WS_CLIPSIBLINGS;
using platform::WS_DISABLED;
using platform::WS_DLGFRAME;
using platform::WS_MAXIMIZE;
using platform::WS_MAXIMIZEBOX;
using platform::WS_MINIMIZE;
using platform::WS_MINIMIZEBOX;
using platform::WS_OVERLAPPED;
using platform::WS_POPUP;
using platform::WS_SYSMENU;
using platform::WS_THICKFRAME;
using platform::WS_VISIBLE;

using platform::WS_EX_APPWINDOW;
using platform::WS_EX_CLIENTEDGE;
using platform::WS_EX_LAYERED;
using platform::WS_EX_TOOLWINDOW;
using platform::WS_EX_TOPMOST;
using platform::WS_EX_TRANSPARENT;
using platform::WS_EX_WINDOWEDGE;

using platform::HTBOTTOM;
using platform::HTBOTTOMLEFT;
using platform::HTBOTTOMRIGHT;
using platform::HTCAPTION;
using platform::HTCLIENT;
using platform::HTLEFT;
using platform::HTNOWHERE;
using platform::HTRIGHT;
using platform::HTTOP;
using platform::HTTOPLEFT;
using platform::HTTOPRIGHT;
using platform::HTTRANSPARENT;

using platform::SW_HIDE;
using platform::SW_MINIMIZE;
using platform::SW_RESTORE;
using platform::SW_SHOW;
using platform::SW_SHOWMAXIMIZED;
using platform::SW_SHOWMINIMIZED;
using platform::SW_SHOWNA;
using platform::SW_SHOWNOACTIVATE;
using platform::SW_SHOWNORMAL;

using platform::SIZE_MAXIMIZED;
using platform::SIZE_MINIMIZED;
using platform::SIZE_RESTORED;

using platform::LWA_ALPHA;
using platform::LWA_COLORKEY;

// Key codes the controls react to.
constexpr std::uint32_t GT_VK_RETURN = 13;
constexpr std::uint32_t GT_VK_SPACE = 32;
