#pragma once

// Every configuration file, section, key and default the client and the uninstaller use. Other
// code names these constants instead of spelling a key again.

struct ConfigString {
    const char* file;
    const char* section;
    const char* key;
    const char* defaultValue;
};

struct ConfigInt {
    const char* file;
    const char* section;
    const char* key;
    int defaultValue;
};

namespace config {

// Files, relative to the program directory, written as the client always wrote them.
inline constexpr const char* URLS_CONFIG = "urls.config";
inline constexpr const char* UPGRADE_INI = "update\\upgrade.ini";
inline constexpr const char* CONFIG_INI = "Config.ini";

// The operator's two hosts behind the built-in addresses. They sit under the reserved example
// domain, so an installation without urls.config never reaches a real host.
#define TLV_GAME_WEB_HOST "http://www.talvane.example"
#define TLV_GAME_SERVICE_HOST "http://service.talvane.example"
inline constexpr const char* GAME_WEB_HOST = TLV_GAME_WEB_HOST;
inline constexpr const char* GAME_SERVICE_HOST = TLV_GAME_SERVICE_HOST;

// urls.config
inline constexpr ConfigString LOGIN_URL { URLS_CONFIG, "URLS", "loginurl", TLV_GAME_WEB_HOST "/mclient.html" };
inline constexpr ConfigString KX_MAIN_URL { URLS_CONFIG, "URLS", "kxmainurl", "" };
inline constexpr ConfigString GAME_VIEW_URL { URLS_CONFIG, "URLS", "gameviewurl", TLV_GAME_WEB_HOST "/" };
inline constexpr ConfigString SUGGEST_URL { URLS_CONFIG, "URLS", "suggesturl",
                                            TLV_GAME_WEB_HOST "/auth/mclient/mc_feedback.php" };
inline constexpr ConfigString MAIN_PAGE { URLS_CONFIG, "URLS", "mainpage", TLV_GAME_WEB_HOST };
// The update engine and the cache clearing read the same key with different defaults.
inline constexpr ConfigString RESOURCE_URL_UPDATE { URLS_CONFIG, "URLS", "resourceurl", TLV_GAME_WEB_HOST "/220_9/" };
inline constexpr ConfigString RESOURCE_URL_CLEAR_CACHE { URLS_CONFIG, "URLS", "resourceurl", TLV_GAME_WEB_HOST "/" };
inline constexpr ConfigString LOG_STAT { URLS_CONFIG, "URLS", "logstat", TLV_GAME_SERVICE_HOST "/mc_log" };
// The key is spelled as the operator's files spell it.
inline constexpr ConfigString LOG_UNINSTALL_REASON { URLS_CONFIG, "URLS", "loguninstallreson",
                                                     TLV_GAME_SERVICE_HOST "/mc_rea" };
inline constexpr ConfigString FLASH_TIP { URLS_CONFIG, "URLS", "flashtip", TLV_GAME_SERVICE_HOST "/mc_msg" };
inline constexpr ConfigString VERSION_URL { URLS_CONFIG, "URLS", "version", TLV_GAME_SERVICE_HOST "/mc_version" };
// Any value greater than 0 shows the first-run hint overlay.
inline constexpr ConfigInt SHADOW_WND { URLS_CONFIG, "WINDOW", "shadowwnd", 1 };
// Written only (1 when the game window was maximized); nobody reads it.
inline constexpr ConfigInt MAXIMIZE_WINDOW { URLS_CONFIG, "WINDOW", "maximize-window", 0 };
inline constexpr ConfigString APP_COOKIE { URLS_CONFIG, "APP", "cookie", "" };

// update\upgrade.ini: the hand-off of a downloaded upgrade program to the next start.
inline constexpr ConfigInt UPGRADE_NEED { UPGRADE_INI, "UPGRADE", "need", 0 };
inline constexpr ConfigString UPGRADE_EXE { UPGRADE_INI, "UPGRADE", "upgrade-exe", "" };
inline constexpr ConfigString UPGRADE_CHANNEL { UPGRADE_INI, "UPGRADE", "myupgradetype", "a" };

// Config.ini: caption of message boxes raised by page scripts, at most 255 characters.
inline constexpr ConfigString PRODUCT_NAME { CONFIG_INI, "CONFIG", "NAME", "Talvane" };
inline constexpr unsigned PRODUCT_NAME_MAX = 255;

#undef TLV_GAME_WEB_HOST
#undef TLV_GAME_SERVICE_HOST

}  // namespace config
