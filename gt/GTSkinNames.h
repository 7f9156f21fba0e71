#pragma once

// Every skin name the client's windows use: image-set name, full stop, image name. Stateful
// controls add a state suffix. The default skin (tools/skingen.cpp) draws each of them.
namespace skin {

// State suffixes of buttons (GTButton, GTComboBoxEx).
inline constexpr const char* STATE_NORMAL = ".normal";
inline constexpr const char* STATE_HOT = ".hot";
inline constexpr const char* STATE_PUSHED = ".pushed";
inline constexpr const char* STATE_DISABLE = ".disable";
// State suffixes of check boxes and radio buttons.
inline constexpr const char* STATE_NORMAL_CHECKED = ".normal.checked";
inline constexpr const char* STATE_HOT_CHECKED = ".hot.checked";
inline constexpr const char* STATE_NORMAL_UNCHECKED = ".normal.unchecked";
inline constexpr const char* STATE_HOT_UNCHECKED = ".hot.unchecked";

// The skin's schema, relative to the program directory.
inline constexpr const char* SCHEMA_PATH = "skin\\default\\index.schema";

// Launcher frame and its top bar.
inline constexpr const char* BNFRAME_BG = "bnframe_bg.bkg";
inline constexpr const char* BNFRAME_BTN_CUSTOMS = "bnframe_btn.btncustoms";
inline constexpr const char* BNFRAME_BTN_FORUM = "bnframe_btn.btnforum";
inline constexpr const char* BNFRAME_BTN_NEWS = "bnframe_btn.btnnews";
inline constexpr const char* BNFRAME_BTN_GAME = "bnframe_btn.btngame";  // radio
inline constexpr const char* BNFRAME_BTN_KX = "bnframe_btn.btnkx";      // radio
inline constexpr const char* FRAME_TOP_BKG = "frame_top.bkg";
inline constexpr const char* NAME_BTNNAME = "name.btnname";

// Window buttons.
inline constexpr const char* LOGIN_ICON_BTNCLOSE = "login_icon.btnclose";
inline constexpr const char* LOGIN_ICON_BTNMAX = "login_icon.btnmax";
inline constexpr const char* LOGIN_ICON_BTNMIN = "login_icon.btnmin";
inline constexpr const char* LOGIN_ICON_BTNRESTORE = "login_icon.btnrestore";

// Login window.
inline constexpr const char* LOGIN_BG_BKG = "login_bg.bkg";
inline constexpr const char* LOGIN_BG_TOPBKG = "login_bg.topbkg";

// Game window and pop-ups.
inline constexpr const char* MAINFRAME_BKG = "mainframe.bkg";
inline constexpr const char* CHATPANEL_CTRLFRAME = "chatpanel.ctrlframe";
inline constexpr const char* PUSHMSG_ICON = "pushmsg.icon";
inline constexpr const char* TOOLBAR_BTNCAPTURE = "toolbar_icon.btncapture";
inline constexpr const char* TOOLBAR_BTNCAPTUREIMG = "toolbar_icon.btncaptureimg";
inline constexpr const char* TOOLBAR_BTNCHARGE = "toolbar_icon.btncharge";
inline constexpr const char* TOOLBAR_BTNCLEARCACHE = "toolbar_icon.btnclearcache";
inline constexpr const char* TOOLBAR_BTNCUSTOM = "toolbar_icon.btncustom";
inline constexpr const char* TOOLBAR_BTNFORUM = "toolbar_icon.btnforum";
inline constexpr const char* TOOLBAR_BTNREFRESH = "toolbar_icon.btnrefresh";

// Menus.
inline constexpr const char* MENU_BKG = "menu.bkg";
inline constexpr const char* MENU_ICON = "menu.icon";

// Update progress dialog.
inline constexpr const char* PROGRESS_BKG = "progress.bkg";
inline constexpr const char* PROGRESS_BAR = "progress_bar.bar";
inline constexpr const char* PROGRESS_BAR_BG_LEFT = "progress_bar_bg.left";
inline constexpr const char* PROGRESS_BAR_BG_MID = "progress_bar_bg.mid";
inline constexpr const char* PROGRESS_BAR_BG_RIGHT = "progress_bar_bg.right";
inline constexpr const char* PROGRESS_SPLIT = "progress_split.bkg";
inline constexpr const char* PROGRESS_STATUS_1 = "progress_status.1bkg";
inline constexpr const char* PROGRESS_STATUS_2 = "progress_status.2bkg";
inline constexpr const char* PROGRESS_STATUS_3 = "progress_status.3bkg";
inline constexpr const char* PROGRESS_STATUS_1_2 = "progress_status_1_2.bkg";
inline constexpr const char* PROGRESS_STATUS_2_1 = "progress_status_2_1.bkg";
inline constexpr const char* PROGRESS_STATUS_2_2 = "progress_status_2_2.bkg";
inline constexpr const char* PROGRESS_STATUS_3_1 = "progress_status_3_1.bkg";
inline constexpr const char* PROGRESS_STATUS_3_2 = "progress_status_3_2.bkg";

// Confirmation dialog (exit, switch account).
inline constexpr const char* TIPS_BKG = "tips_bkg.bkg";
inline constexpr const char* TIPS_BTN_OK = "tips_btn.btnok";
inline constexpr const char* TIPS_BTN_CANCEL = "tips_btn.btncancel";
inline constexpr const char* TIPS_MSG_EXIT = "tips_msg1.bkg";
inline constexpr const char* TIPS_MSG_SWITCH = "tips_msg2.bkg";

// First-run hint overlay.
inline constexpr const char* KX_SHADOW_BKG = "kx_shadow.bkg";
inline constexpr const char* KX_SHADOW_ARROW = "kx_shadow.arrow";
inline constexpr const char* KX_SHADOW_BTNCLOSE = "kx_shadow.btnclose";
inline constexpr const char* KX_SHADOW_TXT = "kx_shadow.txt";
inline constexpr const char* KX_SHADOW_TXT2 = "kx_shadow.txt2";

// Icons outside the skin tables, beside the sheets: the application icon (window and tray icon;
// also as 16, 32, 48 and 128 pixel files app_icon_<size>.png) and the jump list's two task
// icons (.ico files, each with a .png twin of 48 pixels: kx.png, switch.png).
inline constexpr const char* APP_ICON_FILE = "skin\\default\\app_icon.png";
inline constexpr const char* TASK_ICON_KX_FILE = "skin\\default\\kx.ico";
inline constexpr const char* TASK_ICON_SWITCH_FILE = "skin\\default\\switch.ico";

}  // namespace skin
