#include "cache/PathUtils.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "platform/ExecutablePath.h"
#include "platform/ManualResetEvent.h"
#include "platform/MessageQueue.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

TEST(PathUtils, ProgramDirectoryIsTheExecutablesDirectoryWithItsBackslash) {
    EXPECT_EQ(ProgramDirectoryOf("C:\\Games\\Client\\client.exe"), "C:\\Games\\Client\\");
    EXPECT_EQ(ProgramDirectoryOf("client.exe"), "");
    EXPECT_EQ(ProgramDirectoryOf("\\Tlvc"), "\\");

    platform::OverrideExecutablePath("/opt/talvane/Tlvc");
    EXPECT_EQ(ProgramDirectory(), "\\opt\\talvane\\");
    EXPECT_EQ(AppPath("update/"), "\\opt\\talvane\\update/");  // mixed separators are normal here
    EXPECT_EQ(AppPath("update\\upgrade.ini"), "\\opt\\talvane\\update\\upgrade.ini");
    platform::OverrideExecutablePath("");
}

TEST(PathUtils, SlashConversionAndStripping) {
    EXPECT_EQ(ToBackslashes("a/b\\c/"), "a\\b\\c\\");
    EXPECT_EQ(ToForwardSlashes("http:\\\\h\\a/b"), "http://h/a/b");

    struct Case {
        std::string in, out;
    } cases[] = {
        {"C:\\a\\", "C:\\a"},     {"C:\\a\\\\", "C:\\a\\"},  // only one backslash goes
        {"C:\\a\\  \t", "C:\\a"}, {"C:\\a  ", "C:\\a"},      // white space first
        {"a/", "a/"},             {"\\", ""},
        {"", ""},                 {"  ", ""},
    };
    for (const auto& c : cases) {
        std::string path = c.in;
        StripTrailingBackslash(path);
        EXPECT_EQ(path, c.out) << '"' << c.in << '"';
    }
}

TEST(PathUtils, JoinPathResolvesLeadingDotsAgainstTheBase) {
    struct Case {
        std::string base, relative, joined;
    } cases[] = {
        {"C:\\skin\\", "img\\a.png", "C:\\skin\\img\\a.png"},
        {"C:\\skin\\default", "..\\img\\a.png", "C:\\skin\\img\\a.png"},
        {"C:\\skin\\", "D:\\x.png", "D:\\x.png"},
        {"skin/default", "a.png", "skin/default/a.png"},
        {"skin/default", "./img/a.png", "skin/default/img/a.png"},
        {"skin/default/", "../../a.png", "a.png"},             // the base runs out: the rest stays
        {"a/b/", "../../../x/y", "../x/y"},
        {"../", "../x/y", "../../x/y"},                        // ".." over ".." keeps both
        {"C:\\skin\\", "\\img\\a.png", "C:\\img\\a.png"},       // a leading separator restarts at the root
        {"skin", "img/./a.png", "skin/img/./a.png"},           // later dots are copied as they stand
        {"C:\\skin", "img/a.png", "C:\\skin\\img\\a.png"},      // one "\" chooses "\" for the whole result
        {"", "img/a.png", "img/a.png"},
        {"/", "../a.png", "/a.png"},                           // nothing above the root
        {"skin//", "a.png", "skin//a.png"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JoinPath(c.base, c.relative), c.joined) << c.base << " + " << c.relative;
    }
}

class PathUtilsFiles : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string Client(const std::string& relative) const { return test::ClientPath(dir / relative); }
};

TEST_F(PathUtilsFiles, DirectoryExistsOnlyForDirectories) {
    fs::create_directories(dir / "d");
    dir.Write("f", "x");
    EXPECT_TRUE(DirectoryExists(Client("d")));
    EXPECT_TRUE(DirectoryExists(Client("d") + "\\"));
    EXPECT_TRUE(DirectoryExists(Client("d") + "\\ "));
    EXPECT_TRUE(DirectoryExists((dir / "d").string() + "/"));
    EXPECT_FALSE(DirectoryExists(Client("f")));
    EXPECT_FALSE(DirectoryExists(Client("missing")));
    EXPECT_FALSE(DirectoryExists(""));
}

TEST_F(PathUtilsFiles, CreateDirectoryPathMakesEveryMissingLevel) {
    fs::create_directories(dir / "a");
    EXPECT_TRUE(CreateDirectoryPath(Client("a") + "\\b\\c\\"));
    EXPECT_TRUE(fs::is_directory(dir / "a/b/c"));
    EXPECT_TRUE(CreateDirectoryPath(Client("a\\b\\c")));  // all there already

    dir.Write("a/file", "x");
    EXPECT_FALSE(CreateDirectoryPath(Client("a") + "\\file\\x\\y"));  // runs through a file
    EXPECT_FALSE(fs::exists(dir / "a/file/x"));

    // A drive-style root and a network-name prefix are never created: the levels after them are.
    EXPECT_FALSE(CreateDirectoryPath("Q:\\tlv-no-such-drive\\x"));
    EXPECT_FALSE(fs::exists("Q:"));
}

TEST_F(PathUtilsFiles, DeleteDirectoryContentsEmptiesTheTreeButKeepsTheDirectory) {
    dir.Write("root/a.txt", "a");
    dir.Write("root/sub/b.txt", "b");
    dir.Write("root/sub/deeper/c.txt", "c");
    fs::create_directories(dir / "root/empty");
    EXPECT_TRUE(DeleteDirectoryContents(Client("root"), nullptr, false));
    EXPECT_TRUE(fs::is_directory(dir / "root"));
    EXPECT_TRUE(fs::is_empty(dir / "root"));

    EXPECT_FALSE(DeleteDirectoryContents(Client("missing"), nullptr, false));
    dir.Write("plain", "x");
    EXPECT_FALSE(DeleteDirectoryContents(Client("plain"), nullptr, false));
}

TEST_F(PathUtilsFiles, DotFilesSurviveAndKeepTheirDirectory) {
    dir.Write("root/a.txt", "a");
    dir.Write("root/sub/.keep", "");
    dir.Write("root/sub/b.txt", "b");
    dir.Write("root/.hidden", "h");
    EXPECT_FALSE(DeleteDirectoryContents(Client("root") + "\\", nullptr, false));
    EXPECT_TRUE(fs::exists(dir / "root/sub/.keep"));
    EXPECT_TRUE(fs::exists(dir / "root/.hidden"));
    EXPECT_FALSE(fs::exists(dir / "root/sub/b.txt"));
    EXPECT_FALSE(fs::exists(dir / "root/a.txt"));  // entries before the failing one are gone
}

TEST_F(PathUtilsFiles, SymbolicLinksAreRemovedWithoutFollowingThem) {
    dir.Write("outside/precious.txt", "keep me");
    fs::create_directories(dir / "root");
    fs::create_directory_symlink(dir / "outside", dir / "root/link");
    fs::create_symlink(dir / "outside/precious.txt", dir / "root/file-link");
    EXPECT_TRUE(DeleteDirectoryContents(Client("root"), nullptr, false));
    EXPECT_TRUE(fs::is_empty(dir / "root"));
    EXPECT_EQ(dir.Read("outside/precious.txt"), "keep me");
}

TEST_F(PathUtilsFiles, TheStopEventEndsTheWalk) {
    for (int i = 0; i < 5; ++i) dir.Write("root/f" + std::to_string(i), "x");
    platform::ManualResetEvent stop(true);
    EXPECT_FALSE(DeleteDirectoryContents(Client("root"), &stop, false));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "root"), fs::directory_iterator()), 5);

    // Signalled while the walk runs (from the pumped messages): it stops after that entry.
    struct Stopper : platform::MessageTarget {
        platform::ManualResetEvent* stop;
        int seen = 0;
        void OnMessage(platform::Message&) override {
            ++seen;
            stop->Set();
        }
    } stopper;
    stop.Reset();
    stopper.stop = &stop;
    platform::MessageQueue::Instance().BindToCurrentThread();
    stopper.Post(1);
    EXPECT_FALSE(DeleteDirectoryContents(Client("root"), &stop, true));
    EXPECT_EQ(stopper.seen, 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "root"), fs::directory_iterator()), 4);
}

TEST_F(PathUtilsFiles, PumpingIsLeftOutWhenNotAsked) {
    dir.Write("root/a", "x");
    struct Counter : platform::MessageTarget {
        int seen = 0;
        void OnMessage(platform::Message&) override { ++seen; }
    } counter;
    platform::MessageQueue::Instance().BindToCurrentThread();
    counter.Post(1);
    EXPECT_TRUE(DeleteDirectoryContents(Client("root"), nullptr, false));
    EXPECT_EQ(counter.seen, 0);
    platform::MessageQueue::Instance().Pump();
    EXPECT_EQ(counter.seen, 1);
}

}  // namespace
