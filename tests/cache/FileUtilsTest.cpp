#include "cache/FileUtils.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

TEST(FileUtils, ReplaceFileContentsSwapsTheWholeFileAndLeavesNothingBehind) {
    test::TempDir dir;
    auto path = dir.Write("data/a.bin", "old");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    std::string body(1 << 20, 'x');
    body[12345] = '\0';
    ASSERT_TRUE(ReplaceFileContents(test::ClientPath(path), body));
    EXPECT_EQ(ReadWholeFile(path.string()), body);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "data"), fs::directory_iterator()), 1);

    EXPECT_TRUE(ReplaceFileContents((dir / "data/new.txt").string(), ""));
    EXPECT_EQ(ReadWholeFile((dir / "data/new.txt").string()), "");
    EXPECT_FALSE(ReplaceFileContents((dir / "no-dir/x").string(), "x"));
    EXPECT_FALSE(fs::exists(dir / "no-dir"));
}

TEST(FileUtils, ReadWholeFileTellsMissingFromEmpty) {
    test::TempDir dir;
    dir.Write("empty", "");
    fs::create_directories(dir / "d");
    EXPECT_EQ(ReadWholeFile((dir / "empty").string()), "");
    EXPECT_FALSE(ReadWholeFile((dir / "missing").string()).has_value());
    EXPECT_FALSE(ReadWholeFile((dir / "d").string()).has_value());
    EXPECT_TRUE(PathExists(test::ClientPath(dir / "d")));
    EXPECT_FALSE(PathExists(test::ClientPath(dir / "missing")));
}

}  // namespace
