#include "app/Config.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/ClientVersion.h"
#include "app/IniText.h"
#include "platform/ExecutablePath.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

TEST(IniText, ReadsLikeTheWindowsProfileReader) {
    const std::string text =
        "\xEF\xBB\xBF[urls]\r\n"
        "LoginUrl = http://a/\r\n"
        "loginurl=http://second/\r\n"
        "noequals line\r\n"
        "quoted=\"  spaced  \"\r\n"
        "single='x'\r\n"
        "half=\"x\r\n"
        "empty=\r\n"
        "  [ Window ]  \r\n"
        "shadowwnd=0\r\n"
        "[broken\r\n"
        "nul=a\0b\r\n"
        "last=no newline\r\n"
        "[URLS]\r\n"
        "onlyinsecond=1"s;
    IniText ini(text);
    struct Case {
        const char* section;
        const char* key;
        std::optional<std::string> value;
    } cases[] = {
        {"URLS", "loginurl", "http://a/"},        // names match in any case; the first key wins
        {"Urls", "LOGINURL", "http://a/"},
        {"URLS", "quoted", "  spaced  "},         // one pair of matching quotes goes
        {"URLS", "single", "x"},
        {"URLS", "half", "\"x"},
        {"URLS", "empty", ""},
        {"URLS", "noequals line", std::nullopt},  // a line without "=" is no key
        {"URLS", "onlyinsecond", std::nullopt},   // only the first section of a name counts
        {"WINDOW", "shadowwnd", "0"},
        {"window", "nul", "a"},                   // "[broken" is no header: still in WINDOW
        {"WINDOW", "last", "no newline"},
        {"WINDOW", "onlyinsecond", std::nullopt},
        {"missing", "loginurl", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ini.Get(c.section, c.key), c.value) << c.section << "/" << c.key;
    }
}

TEST(IniText, JunkNeverBreaksAReader) {
    EXPECT_EQ(IniText("[A]\nk=last line without newline").Get("a", "K"), "last line without newline");
    std::string junk;
    for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) % 256);
    IniText ini(junk + "\n[A]\nk=v\n");
    EXPECT_EQ(ini.Get("A", "k"), "v");
    EXPECT_FALSE(IniText("").Get("A", "k").has_value());
    EXPECT_FALSE(IniText("k=v\n").Get("", "k").has_value());  // keys before any section belong to none
    EXPECT_FALSE(IniText("[\n]=\n").Get("A", "k").has_value());
}

TEST(IniText, WritingChangesOnlyItsOwnKey) {
    struct Case {
        const char* name;
        std::string before;
        const char* section;
        const char* key;
        const char* value;
        std::string after;
    } cases[] = {
        {"replace keeps spelling and line ends", "; note\r\n[Up]\r\nNEED = 0 \r\nx=1\r\n", "UP", "need", "1",
         "; note\r\n[Up]\r\nNEED =1\r\nx=1\r\n"},
        {"first of repeated keys", "[A]\nk=1\nk=2\n", "A", "k", "3", "[A]\nk=3\nk=2\n"},
        {"new key after the section's last line", "[A]\nx=1\n\n[B]\ny=2\n", "a", "k", "v",
         "[A]\nx=1\nk=v\n\n[B]\ny=2\n"},
        {"new key in an empty section", "[A]\n[B]\n", "A", "k", "v", "[A]\nk=v\n[B]\n"},
        {"new section at the end", "[A]\nx=1\n", "B", "k", "v", "[A]\nx=1\n[B]\nk=v\n"},
        {"no final newline", "[A]\nx=1", "B", "k", "v", "[A]\nx=1\n[B]\nk=v\n"},
        {"no final newline, same section", "[A]\nx=1", "A", "k", "v", "[A]\nx=1\nk=v\n"},
        {"CRLF file gets CRLF lines", "[A]\r\nx=1\r\n", "B", "k", "v", "[A]\r\nx=1\r\n[B]\r\nk=v\r\n"},
        {"new file", "", "APP", "cookie", "c", "[APP]\ncookie=c\n"},
        {"empty value, key kept", "[U]\nupgrade-exe=a.exe\n", "U", "upgrade-exe", "", "[U]\nupgrade-exe=\n"},
        {"a value cannot add lines", "[APP]\ncookie=1\n", "APP", "cookie", "x\r\n[URLS]\nloginurl=evil",
         "[APP]\ncookie=x  [URLS] loginurl=evil\n"},
        {"lines without = kept", "[A]\njunk\nk=1\n", "A", "k", "2", "[A]\njunk\nk=2\n"},
    };
    for (const auto& c : cases) {
        IniText ini(c.before);
        ini.Set(c.section, c.key, c.value);
        EXPECT_EQ(ini.Text(), c.after) << c.name;
    }
    IniText binary(std::string("\x01\x02[A]\x00\xFF\n[A]\nk=1\n", 15));
    binary.Set("A", "k", "2");
    EXPECT_EQ(binary.Text(), std::string("\x01\x02[A]\x00\xFF\n[A]\nk=2\n", 15));
}

TEST(ParseProfileInt, ReadsLeadingDigitsLikeGetPrivateProfileInt) {
    struct Case {
        const char* text;
        int value;
    } cases[] = {
        {"0", 0},   {"1", 1},      {"2", 2},   {"-1", -1},  {"+7", 7},        {"12abc", 12},
        {"abc", 0}, {"  42", 42},  {"-", 0},   {"0x10", 0}, {"4294967297", 1}, {"-2147483648", -2147483647 - 1},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseProfileInt(c.text), c.value) << c.text;
}

class ConfigFiles : public ::testing::Test {
protected:
    void SetUp() override { platform::OverrideExecutablePath((dir / "Tlvc").string()); }
    void TearDown() override { platform::OverrideExecutablePath(""); }
    test::TempDir dir;
};

TEST_F(ConfigFiles, EveryKeyHasItsDefaultWithoutAnyFile) {
    EXPECT_EQ(ReadConfigString(config::LOGIN_URL), "http://www.talvane.example/mclient.html");
    EXPECT_EQ(ReadConfigString(config::KX_MAIN_URL), "");
    EXPECT_EQ(ReadConfigString(config::GAME_VIEW_URL), "http://www.talvane.example/");
    EXPECT_EQ(ReadConfigString(config::SUGGEST_URL), "http://www.talvane.example/auth/mclient/mc_feedback.php");
    EXPECT_EQ(ReadConfigString(config::MAIN_PAGE), "http://www.talvane.example");
    EXPECT_EQ(ReadConfigString(config::RESOURCE_URL_UPDATE), "http://www.talvane.example/220_9/");
    EXPECT_EQ(ReadConfigString(config::RESOURCE_URL_CLEAR_CACHE), "http://www.talvane.example/");
    EXPECT_EQ(ReadConfigString(config::LOG_STAT), "http://service.talvane.example/mc_log");
    EXPECT_EQ(ReadConfigString(config::LOG_UNINSTALL_REASON), "http://service.talvane.example/mc_rea");
    EXPECT_EQ(ReadConfigString(config::FLASH_TIP), "http://service.talvane.example/mc_msg");
    EXPECT_EQ(ReadConfigString(config::VERSION_URL), "http://service.talvane.example/mc_version");
    EXPECT_EQ(ReadConfigInt(config::SHADOW_WND), 1);
    EXPECT_EQ(ReadConfigString(config::APP_COOKIE), "");
    EXPECT_EQ(ReadConfigInt(config::UPGRADE_NEED), 0);
    EXPECT_EQ(ReadConfigString(config::UPGRADE_EXE), "");
    EXPECT_EQ(ReadConfigString(config::UPGRADE_CHANNEL), "a");
    EXPECT_EQ(ReadConfigString(config::PRODUCT_NAME), "Talvane");
    EXPECT_TRUE(fs::is_empty(dir.Path()));  // reading never creates anything
}

TEST_F(ConfigFiles, ReadsAreFreshCaseInsensitiveAndCut) {
    dir.Write("urls.config", "[urls]\nLOGINURL=http://127.0.0.1:1/login\n[window]\nShadowWnd=abc\n");
    EXPECT_EQ(ReadConfigString(config::LOGIN_URL), "http://127.0.0.1:1/login");
    EXPECT_EQ(ReadConfigInt(config::SHADOW_WND), 0);  // text that is no number reads as 0

    dir.Write("urls.config", "[URLS]\nloginurl=http://h/" + std::string(300, 'x') + "\n[WINDOW]\nshadowwnd=-1\n");
    std::string cut = ReadConfigString(config::LOGIN_URL);
    EXPECT_EQ(cut.size(), 259u);
    EXPECT_EQ(cut, ("http://h/" + std::string(300, 'x')).substr(0, 259));
    EXPECT_EQ(ReadConfigInt(config::SHADOW_WND), -1);

    std::string chinese;
    while (chinese.size() < 300) chinese += "微";
    dir.Write("Config.ini", "[CONFIG]\nNAME=" + chinese + "\n");
    EXPECT_EQ(ReadConfigString(config::PRODUCT_NAME), chinese.substr(0, 258));  // 86 whole characters

    dir.Write("urls.config", "[WINDOW]\nshadowwnd=\n");
    EXPECT_EQ(ReadConfigInt(config::SHADOW_WND), 1);  // an empty value reads as the default
}

TEST_F(ConfigFiles, WritesCreateTheFileAndKeepEverythingElse) {
    WriteConfigString(config::APP_COOKIE, "token=1;x");
    EXPECT_EQ(dir.Read("urls.config"), "[APP]\ncookie=token=1;x\n");
    EXPECT_EQ(ReadConfigString(config::APP_COOKIE), "token=1;x");

    const std::string original = "# operator file\r\n[URLS]\r\nloginurl=http://h/\r\n[WINDOW]\r\nshadowwnd=1\r\n";
    dir.Write("urls.config", original);
    WriteConfigInt(config::SHADOW_WND, 0);
    EXPECT_EQ(dir.Read("urls.config"), "# operator file\r\n[URLS]\r\nloginurl=http://h/\r\n[WINDOW]\r\nshadowwnd=0\r\n");
    WriteConfigInt(config::MAXIMIZE_WINDOW, 1);
    EXPECT_EQ(ReadConfigInt("urls.config", "window", "MAXIMIZE-WINDOW", 7), 1);
    EXPECT_EQ(ReadConfigString(config::LOGIN_URL), "http://h/");

    // update\upgrade.ini lives in a directory of its own, which a write does not make.
    WriteConfigInt(config::UPGRADE_NEED, 1);
    EXPECT_FALSE(fs::exists(dir / "update"));
    fs::create_directories(dir / "update");
    WriteConfigInt(config::UPGRADE_NEED, 1);
    WriteConfigString(config::UPGRADE_EXE, "upgrade_1.2.0.0.exe");
    EXPECT_EQ(dir.Read("update/upgrade.ini"), "[UPGRADE]\nneed=1\nupgrade-exe=upgrade_1.2.0.0.exe\n");
    WriteConfigString(config::UPGRADE_EXE, "");
    EXPECT_EQ(dir.Read("update/upgrade.ini"), "[UPGRADE]\nneed=1\nupgrade-exe=\n");
}

TEST_F(ConfigFiles, AFileThatCannotBeReadIsNeverReplaced) {
    fs::create_directories(dir / "urls.config");  // a directory where the file should be
    WriteConfigString(config::APP_COOKIE, "x");
    EXPECT_TRUE(fs::is_directory(dir / "urls.config"));
    EXPECT_EQ(ReadConfigString(config::APP_COOKIE), "");
}

TEST_F(ConfigFiles, ClientFileVersionComesFromTheExecutable) {
    platform::OverrideExecutablePath(TLVC_PATH);
    EXPECT_EQ(ClientFileVersion(), "1.1.6.0");
    platform::OverrideExecutablePath((dir / "Tlvc").string());
    EXPECT_EQ(ClientFileVersion(), "1.0.0.0");  // no such file
    dir.Write("Tlvc", "\x7f" "ELF junk");
    EXPECT_EQ(ClientFileVersion(), "1.0.0.0");
}

}  // namespace
