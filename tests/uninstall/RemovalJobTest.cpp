#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>

#include "platform/MessageQueue.h"
#include "tests/support/TempDir.h"
#include "tests/uninstall/ScratchHome.h"
#include "uninstall/RemovalJob.h"

namespace fs = std::filesystem;
using uninstalltest::ScratchHome;

namespace {

class ProgressRecorder : public platform::MessageTarget {
public:
    std::vector<std::uintptr_t> percents;
    std::vector<std::intptr_t> lParams;

protected:
    // Overridden from MessageTarget:
    void OnMessage(platform::Message& message) override {
        if (message.id != WM_REMOVAL_PROGRESS) return;
        percents.push_back(message.wParam);
        lParams.push_back(message.lParam);
    }
};

class RemovalTest : public ::testing::Test {
protected:
    void SetUp() override { platform::MessageQueue::Instance().BindToCurrentThread(); }

    // Runs a job for `installDirectory` to its end; the percentages it posted, in order.
    std::vector<std::uintptr_t> Remove(const std::string& installDirectory) {
        ProgressRecorder recorder;
        RemovalJob job;
        job.Prepare(installDirectory);
        EXPECT_TRUE(job.Start(recorder.Id()));
        job.Join();
        platform::MessageQueue::Instance().Pump();
        for (std::intptr_t lParam : recorder.lParams) EXPECT_EQ(lParam, 0);
        return recorder.percents;
    }

    void ExpectEntriesGone() const {
        for (const fs::path& entry : home.Entries()) EXPECT_FALSE(fs::exists(entry)) << entry;
        EXPECT_FALSE(fs::exists(home.Programs() / "Talvane"));
    }

    static void CopyClient(const fs::path& directory) {
        fs::create_directories(directory);
        fs::copy_file(fs::path(TLV_BIN_DIR) / "Tlvc", directory / "Tlvc", fs::copy_options::overwrite_existing);
    }

    // Everything below `directory` but the installer's entries, which the other steps remove.
    std::set<fs::path> Snapshot(const fs::path& directory) const {
        std::set<fs::path> paths;
        std::error_code error;
        for (auto it = fs::recursive_directory_iterator(directory, error); !error && it != fs::recursive_directory_iterator();
             it.increment(error)) {
            const fs::path& path = it->path();
            const auto entries = home.Entries();
            bool entry = std::find(entries.begin(), entries.end(), path) != entries.end() ||
                         path == home.Programs() / "Talvane" ||
                         (path.parent_path() == home.Desktop() && path.extension() == ".url");
            if (!entry) paths.insert(path);
        }
        return paths;
    }

    ScratchHome home;
};

TEST_F(RemovalTest, RemovesAnInstallationAndItsEntriesWithOneProgressStepPerFile) {
    ASSERT_EQ(home.Install(), 0);
    const fs::path installation = home.DefaultInstallation();
    // A cache with files of very different sizes, and a file of none.
    ScratchHome::Write(installation / "update/flash/game.swf", std::string(300000, 'g'));
    ScratchHome::Write(installation / "update/FileVersion.xml", "<v/>");
    ScratchHome::Write(installation / "log.txt", "");
    // What is not the installation's stays: the relocated uninstaller, the user's own entries.
    ScratchHome::Write(home.Temporary() / "~uninst1A2B", "relocated uninstaller");
    ScratchHome::Write(home.Desktop() / "notes.txt", "mine");
    ScratchHome::Write(home.Programs() / "editor.desktop", "[Desktop Entry]\n");
    const std::size_t files = uninstalltest::CountWalkedFiles(installation);
    ASSERT_GT(files, 10u);
    for (const fs::path& entry : home.Entries()) ASSERT_TRUE(fs::exists(entry)) << entry;

    // The uninstaller hands over its directory in the client's form, trailing separator included.
    auto percents = Remove(test::ClientPath(installation) + "\\");

    EXPECT_FALSE(fs::exists(installation));
    ExpectEntriesGone();
    EXPECT_FALSE(fs::exists(home.Desktop() / "Talvane官网.url"));
    EXPECT_FALSE(fs::exists(home.Desktop() / "Talvane意见反馈.url"));
    EXPECT_TRUE(fs::exists(home.Temporary() / "~uninst1A2B"));
    EXPECT_TRUE(fs::exists(home.Desktop() / "notes.txt"));
    EXPECT_TRUE(fs::exists(home.Programs() / "editor.desktop"));

    // One post per file, never going back, the last file at 100, then the final 100.
    ASSERT_EQ(percents.size(), files + 1);
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(percents[files - 1], 100u);
    EXPECT_EQ(percents.back(), 100u);
    // The bar moves through the values between, not from nothing to everything.
    EXPECT_TRUE(std::any_of(percents.begin(), percents.end(), [](auto p) { return p > 0 && p < 100; }));
}

TEST_F(RemovalTest, AJobStartsOnce) {
    ProgressRecorder recorder;
    RemovalJob job;
    job.Prepare("");
    EXPECT_TRUE(job.Start(recorder.Id()));
    EXPECT_FALSE(job.Start(recorder.Id()));
    job.Join();
    EXPECT_FALSE(job.Start(recorder.Id()));
    platform::MessageQueue::Instance().Pump();
    EXPECT_EQ(recorder.percents, std::vector<std::uintptr_t>({ 100 }));
}

TEST_F(RemovalTest, WebShortcutsAreTheNamesThatLinkConfigLists) {
    // The job points at a folder without the client: only the shortcut step matters here.
    const fs::path installation = home.Root() / "inst";
    const std::vector<std::string> shortcuts = { "a.url", "b.url", "c.url", "sub/a.url" };
    struct Case {
        const char* what;
        std::optional<std::string> linkConfig;
        std::set<std::string> remaining;
    } cases[] = {
        { "no link.config", std::nullopt, { "a.url", "b.url", "c.url", "sub/a.url" } },
        { "three with the second nameless",
          "[DESKTOPICON]\nnumber=3\n[WEB0]\nname=a\n[WEB1]\ntitle=b\n[WEB2]\nname=c\n", { "b.url", "sub/a.url" } },
        { "sections beyond the number are not read",
          "[DESKTOPICON]\nnumber=2\n[WEB0]\nname=a\n[WEB1]\nname=b\n[WEB2]\nname=c\n", { "c.url", "sub/a.url" } },
        { "no number", "[WEB0]\nname=a\n", { "a.url", "b.url", "c.url", "sub/a.url" } },
        { "a huge number, a section in lower case, a padded index",
          "[DESKTOPICON]\nnumber=2147483647\n[web1]\nname = b \n[WEB02]\nname=c\n", { "a.url", "c.url", "sub/a.url" } },
        { "a name is never a path",
          "[DESKTOPICON]\nnumber=3\n[WEB0]\nname=../outside\n[WEB1]\nname=sub/a\n[WEB2]\nname=sub\\a\n",
          { "a.url", "b.url", "c.url", "sub/a.url" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(home.Desktop());
        for (const std::string& name : shortcuts) ScratchHome::Write(home.Desktop() / name, "[InternetShortcut]\n");
        ScratchHome::Write(home.Home() / "outside.url", "[InternetShortcut]\n");
        fs::remove_all(installation);
        fs::create_directories(installation);
        if (c.linkConfig) ScratchHome::Write(installation / "web/link.config", *c.linkConfig);

        EXPECT_EQ(Remove(installation.string()), std::vector<std::uintptr_t>({ 100 }));

        std::set<std::string> remaining;
        for (const std::string& name : shortcuts)
            if (fs::exists(home.Desktop() / name)) remaining.insert(name);
        EXPECT_EQ(remaining, c.remaining);
        EXPECT_TRUE(fs::exists(home.Home() / "outside.url"));
        EXPECT_TRUE(fs::exists(installation / "web/link.config") == c.linkConfig.has_value());
    }
}

TEST_F(RemovalTest, ADotFileKeepsTheInstallationDirectory) {
    ASSERT_EQ(home.Install(), 0);
    const fs::path installation = home.DefaultInstallation();
    ScratchHome::Write(installation / ".keep", "the user's");
    const std::size_t files = uninstalltest::CountWalkedFiles(installation);

    auto percents = Remove(installation.string());

    ASSERT_TRUE(fs::exists(installation / ".keep"));
    EXPECT_EQ(uninstalltest::CountEntries(installation), 1u);
    ExpectEntriesGone();
    EXPECT_EQ(percents.size(), files + 1);
    EXPECT_EQ(percents.back(), 100u);
}

TEST_F(RemovalTest, NothingIsDeletedThroughASymbolicLink) {
    ASSERT_EQ(home.Install(), 0);
    const fs::path installation = home.DefaultInstallation();
    const fs::path outside = home.Root() / "outside";
    ScratchHome::Write(outside / "folder/kept.txt", "kept");
    ScratchHome::Write(outside / "file.txt", "kept");
    fs::create_directory_symlink(outside / "folder", installation / "linked-folder");
    fs::create_symlink(outside / "file.txt", installation / "update/linked-file");
    fs::create_symlink(outside / "gone", installation / "dangling");

    auto percents = Remove(installation.string());

    EXPECT_FALSE(fs::exists(fs::symlink_status(installation)));
    EXPECT_TRUE(fs::exists(outside / "folder/kept.txt"));
    EXPECT_TRUE(fs::exists(outside / "file.txt"));
    EXPECT_EQ(percents.back(), 100u);
}

// The walk runs as the user: a file it may not delete (here in a folder without write access)
// keeps that folder, and the walk goes on with the next entry.
TEST_F(RemovalTest, AFileThatCannotBeDeletedKeepsOnlyItsFolder) {
    ASSERT_EQ(home.Install(), 0);
    const fs::path installation = home.DefaultInstallation();
    ScratchHome::Write(installation / "a-locked/held.dat", std::string(5000, 'h'));
    ScratchHome::Write(installation / "b-free/free.dat", "free");
    fs::permissions(installation / "a-locked", fs::perms::owner_read | fs::perms::owner_exec);
    std::ofstream probe(installation / "a-locked/probe");
    if (probe.is_open()) {
        probe.close();
        fs::permissions(installation / "a-locked", fs::perms::owner_all);
        GTEST_SKIP() << "this user may write anywhere (root): no file resists deletion";
    }

    auto percents = Remove(installation.string());

    EXPECT_TRUE(fs::exists(installation / "a-locked/held.dat"));
    EXPECT_EQ(uninstalltest::CountEntries(installation), 2u);
    ExpectEntriesGone();
    EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
    EXPECT_EQ(percents.back(), 100u);
}

// The installation directory comes from the environment. Only a directory that holds the client
// program is deleted; anything else loses nothing, and the other steps still run.
TEST_F(RemovalTest, DirectoriesWithoutTheClientLoseNothingWhileTheOtherStepsRun) {
    const fs::path cwd = home.Root() / "cwd";
    struct Case {
        const char* what;
        std::function<std::string()> plant;  // lays the case out and names the directory
    } cases[] = {
        { "none given", [] { return std::string(); } },
        { "the root", [] { return std::string("/"); } },
        { "a relative path (the working directory's)",
          [&] {
              CopyClient(cwd / "talvane");
              fs::current_path(cwd);
              return std::string("talvane");
          } },
        { "the home directory holding the client", [&] { CopyClient(home.Home()); return home.Home().string(); } },
        { "above the home directory",
          [&] { CopyClient(home.Root()); return test::ClientPath(home.Root()) + "\\"; } },
        { "the data folder", [&] { CopyClient(home.DataHome()); return home.DataHome().string(); } },
        { "the desktop", [&] { CopyClient(home.Desktop()); return home.Desktop().string() + "/"; } },
        { "the temporary directory holding the relocated uninstaller",
          [&] {
              CopyClient(home.Temporary());
              ScratchHome::Write(home.Temporary() / "~uninst42", "relocated");
              return home.Temporary().string();
          } },
        { "a foreign directory", [&] { return (home.Root() / "foreign").string(); } },
        { "a file named Tlvc that is no client",
          [&] {
              ScratchHome::Write(home.Root() / "fake/Tlvc", "#!/bin/sh\n");
              return (home.Root() / "fake").string();
          } },
        { "the client only linked in",
          [&] {
              fs::create_directories(home.Root() / "linked");
              fs::create_symlink(fs::path(TLV_BIN_DIR) / "Tlvc", home.Root() / "linked/Tlvc");
              return (home.Root() / "linked").string();
          } },
        { "the client one level down",
          [&] {
              CopyClient(home.Root() / "parent/talvane");
              return (home.Root() / "parent").string();
          } },
        { "an empty directory",
          [&] {
              fs::create_directories(home.Root() / "empty");
              return (home.Root() / "empty").string();
          } },
        { "a missing directory", [&] { return (home.Root() / "missing").string(); } },
    };
    const fs::path previousCwd = fs::current_path();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(home.Install(), 0);  // again, so that there are entries to remove
        const std::string directory = c.plant();
        const bool inspect = !directory.empty() && directory != "/";
        fs::path native = directory;
        if (inspect) {
            std::string text = directory;
            std::replace(text.begin(), text.end(), '\\', '/');
            native = fs::absolute(text);
            if (fs::is_directory(native)) ScratchHome::Write(native / "victim.txt", "must stay");
        }
        const auto before = inspect ? Snapshot(native) : std::set<fs::path>();

        auto percents = Remove(directory);
        fs::current_path(previousCwd);

        EXPECT_EQ(percents, std::vector<std::uintptr_t>({ 100 }));
        ExpectEntriesGone();
        if (inspect) {
            EXPECT_EQ(Snapshot(native), before);
        }
        // The real installation was never the job's: it is untouched.
        EXPECT_TRUE(fs::exists(home.DefaultInstallation() / "Tlvc"));
    }
}

}  // namespace
