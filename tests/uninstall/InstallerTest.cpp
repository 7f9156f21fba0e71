#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/ConfigKeys.h"
#include "app/IniText.h"
#include "platform/MessageQueue.h"
#include "platform/VersionResource.h"
#include "tests/uninstall/ScratchHome.h"
#include "uninstall/RemovalJob.h"

namespace fs = std::filesystem;
using uninstalltest::ScratchHome;

namespace {

IniText ReadIni(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return IniText(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
}

std::string Value(const fs::path& file, const char* section, const char* key) {
    return ReadIni(file).Get(section, key).value_or("<absent>");
}

// A key of a desktop entry as written: quotes belong to the value there.
std::string EntryKey(const fs::path& file, const std::string& key) {
    std::ifstream stream(file);
    for (std::string line; std::getline(stream, line);)
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    return "<absent>";
}

TEST(Installer, LaysOutTheClientWithItsDefaultsAndTheEntriesTheUninstallerRemoves) {
    ScratchHome home;
    std::string errors;
    ASSERT_EQ(home.Install({}, &errors), 0) << errors;
    const fs::path installation = home.DefaultInstallation();

    platform::ProductVersion version {};
    EXPECT_TRUE(platform::ReadProductVersion((installation / "Tlvc").string(), version));
    EXPECT_TRUE((fs::status(installation / "Tlvc").permissions() & fs::perms::owner_exec) != fs::perms::none);
    EXPECT_TRUE(fs::is_regular_file(installation / "skin/default/index.schema"));
    EXPECT_FALSE(fs::is_symlink(installation / "skin"));

    // The written-out defaults are the client's built-in ones.
    const fs::path urls = installation / "urls.config";
    for (const ConfigString& key : { config::LOGIN_URL, config::KX_MAIN_URL, config::GAME_VIEW_URL,
                                     config::SUGGEST_URL, config::MAIN_PAGE, config::LOG_STAT,
                                     config::LOG_UNINSTALL_REASON, config::FLASH_TIP, config::VERSION_URL })
        EXPECT_EQ(Value(urls, key.section, key.key), key.defaultValue) << key.key;
    // Written, it would narrow the cache clearing to the update engine's default.
    EXPECT_EQ(Value(urls, "URLS", "resourceurl"), "<absent>");
    EXPECT_EQ(Value(urls, config::SHADOW_WND.section, config::SHADOW_WND.key), "1");
    EXPECT_EQ(Value(installation / "Config.ini", config::PRODUCT_NAME.section, config::PRODUCT_NAME.key),
              config::PRODUCT_NAME.defaultValue);
    const fs::path upgrade = installation / "update/upgrade.ini";
    EXPECT_EQ(Value(upgrade, config::UPGRADE_CHANNEL.section, config::UPGRADE_CHANNEL.key), "a");
    EXPECT_EQ(Value(upgrade, config::UPGRADE_NEED.section, config::UPGRADE_NEED.key), "0");

    for (const fs::path& entry : home.Entries()) {
        SCOPED_TRACE(entry.string());
        EXPECT_EQ(EntryKey(entry, "Type"), "Application");
        std::string exec = EntryKey(entry, "Exec");
        const char* program = entry.filename() == "Talvane-uninstall.desktop" ? "TLVUninstall" : "Tlvc";
        EXPECT_EQ(exec, "\"" + (installation / program).string() + "\"");
    }
    EXPECT_TRUE((fs::status(home.Desktop() / "Talvane.desktop").permissions() & fs::perms::owner_exec) !=
                fs::perms::none);

    // Every web shortcut that link.config names lies on the desktop.
    IniText links = ReadIni(installation / "web/link.config");
    const int count = std::stoi(links.Get("DESKTOPICON", "number").value_or("0"));
    EXPECT_GE(count, 1);
    for (int i = 0; i < count; ++i) {
        std::string name = links.Get("WEB" + std::to_string(i), "name").value_or("");
        ASSERT_FALSE(name.empty());
        EXPECT_EQ(ReadIni(home.Desktop() / (name + ".url")).Get("InternetShortcut", "URL").value_or("").rfind("http", 0),
                  0u)
            << name;
    }
}

// The installer and the removal job must agree on where the user's folders are.
TEST(Installer, AnInstallationInAFolderOfItsOwnIsFoundAndRemovedWhole) {
    ScratchHome home;
    platform::MessageQueue::Instance().BindToCurrentThread();
    ScratchHome::Write(home.ConfigHome() / "user-dirs.dirs",
                       "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    const fs::path installation = home.Root() / "games/my \"talvane\" $1";
    std::string errors;
    ASSERT_EQ(home.Install({ installation.string() }, &errors), 0) << errors;
    ASSERT_TRUE(fs::exists(installation / "Tlvc"));
    ASSERT_TRUE(fs::exists(home.Home() / "Schreibtisch/Talvane.desktop"));
    ASSERT_FALSE(fs::exists(home.Desktop()));
    // Quotes and dollars in the Exec line are escaped for the desktop's command line.
    EXPECT_EQ(EntryKey(home.Home() / "Schreibtisch/Talvane.desktop", "Exec"),
              "\"" + home.Root().string() + "/games/my \\\\\"talvane\\\\\" \\\\$1/Tlvc\"");

    RemovalJob job;
    job.Prepare(installation.string());
    ASSERT_TRUE(job.Start(0));
    job.Join();

    EXPECT_FALSE(fs::exists(installation));
    EXPECT_TRUE(fs::exists(home.Root() / "games"));
    EXPECT_EQ(uninstalltest::CountEntries(home.Home() / "Schreibtisch"), 0u);
    EXPECT_FALSE(fs::exists(home.Autostart() / "Tlvc.desktop"));
    EXPECT_FALSE(fs::exists(home.Programs() / "Talvane"));
    EXPECT_FALSE(fs::exists(home.Programs() / "Talvane-uninstall.desktop"));
}

TEST(Installer, KeepsSettingsOnReinstallAndRefusesFoldersThatHoldOtherThings) {
    ScratchHome home;
    // An operator's urls.config beside the programs is installed instead of the defaults.
    ScratchHome::Write(home.Bin() / "urls.config", "[URLS]\nloginurl=http://operator.example/login\n");
    ASSERT_EQ(home.Install(), 0);
    const fs::path urls = home.DefaultInstallation() / "urls.config";
    EXPECT_EQ(Value(urls, "URLS", "loginurl"), "http://operator.example/login");

    // A second installation replaces the programs and keeps what the user changed.
    ScratchHome::Write(urls, "[URLS]\nloginurl=http://mine.example/\n");
    ScratchHome::Write(home.DefaultInstallation() / "update/cache.swf", "cached");
    fs::remove(home.DefaultInstallation() / "Tlvc");
    ScratchHome::Write(home.DefaultInstallation() / "Tlvc", "old client");
    ASSERT_EQ(home.Install(), 0);
    EXPECT_EQ(Value(urls, "URLS", "loginurl"), "http://mine.example/");
    EXPECT_TRUE(fs::exists(home.DefaultInstallation() / "update/cache.swf"));
    EXPECT_GT(fs::file_size(home.DefaultInstallation() / "Tlvc"), 1000u);

    // The uninstaller deletes its folder whole, so the installer takes none that holds other
    // things, nor one of the user's own folders.
    ScratchHome::Write(home.Root() / "documents/letter.txt", "mine");
    const fs::path refused[] = { home.Root() / "documents", home.Home(), home.DataHome(), home.Desktop() };
    for (const fs::path& folder : refused) {
        SCOPED_TRACE(folder.string());
        fs::create_directories(folder);
        const std::size_t before = uninstalltest::CountEntries(folder);
        std::string errors;
        EXPECT_NE(home.Install({ folder.string() }, &errors), 0);
        EXPECT_FALSE(errors.empty());
        EXPECT_EQ(uninstalltest::CountEntries(folder), before);
        EXPECT_FALSE(fs::exists(folder / "Tlvc"));
    }
}

}  // namespace
