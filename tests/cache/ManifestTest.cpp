#include <filesystem>

#include "tests/cache/CacheFixture.h"

namespace fs = std::filesystem;

namespace {

TEST(UpdateTask, NamingRules) {
    struct Case {
        std::string path, prefix, dir, fileName, storedName, extension;
    } cases[] = {
        {"assets/ui/button.swf", "9f", "assets/ui/", "button.swf", "9f_button.swf", "swf"},
        {"Talvane.swf", "", "", "Talvane.swf", "Talvane.swf", "swf"},
        {"ui/a.b.png", "3", "ui/", "a.b.png", "3_a.b.png", "png"},
        {"sounds/readme", "1", "sounds/", "readme", "1_readme", ""},
        {"maps/", "1", "maps/", "", "1_", ""},
        {"a.", "", "", "a.", "a.", ""},
    };
    for (const auto& c : cases) {
        UpdateTask task = MakeUpdateTask(c.path, c.prefix, "v");
        EXPECT_EQ(task.dir, c.dir) << c.path;
        EXPECT_EQ(task.fileName, c.fileName) << c.path;
        EXPECT_EQ(task.storedName, c.storedName) << c.path;
        EXPECT_EQ(task.extension, c.extension) << c.path;
        EXPECT_EQ(task.state, TASK_PENDING);
        EXPECT_EQ(task.phase, PHASE_MANIFESTS);
        EXPECT_EQ(task.StoredPath(), "update/" + c.dir + c.storedName);
    }
}

TEST(UpdateTask, PathsThatWouldLeaveTheCache) {
    struct Case {
        const char* path;
        bool inside;
    } cases[] = {
        {"assets/a.swf", true},     {"a..b/c.swf", true},       {"./a.swf", true},
        {"../a.swf", false},        {"a/../../b.swf", false},   {"a\\..\\..\\b.swf", false},
        {"..", false},              {"a/..", false},            {"/etc/passwd", false},
        {"\\windows\\a.swf", false}, {"C:/a.swf", false},       {"c:a.swf", false},
    };
    for (const auto& c : cases) EXPECT_EQ(StaysInsideCache(c.path), c.inside) << c.path;
}

using ManifestTest = test::CacheFixture;

TEST_F(ManifestTest, ManifestTasksComeFromTheResourceRoot) {
    auto defaults = updater.MakeManifestTasks();
    ASSERT_EQ(defaults.size(), 2u);
    EXPECT_EQ(defaults[0].url, "http://www.talvane.example/220_9/config/FileVersion.xml");
    EXPECT_EQ(defaults[0].StoredPath(), "update/FileVersion.xml");
    EXPECT_EQ(defaults[1].url, "http://www.talvane.example/220_9/config/simplified/Res.xml");
    EXPECT_EQ(defaults[1].StoredPath(), "update/config/simplified/Res.xml");

    SetResourceUrl("http://127.0.0.1:9/r/");
    auto configured = updater.MakeManifestTasks();
    EXPECT_EQ(configured[0].url, "http://127.0.0.1:9/r/config/FileVersion.xml");
    EXPECT_EQ(configured[0].version, "");
    EXPECT_EQ(configured[1].url, "http://127.0.0.1:9/r/config/simplified/Res.xml");
}

TEST_F(ManifestTest, EntriesBecomeTasksByTheNamingRules) {
    SetResourceUrl("http://h/r/");
    program.Write("update/FileVersion.xml",
                  test::Manifest({
                      R"(name="assets/ui/a.png" md5="9f" version="3")",
                      R"(name="Talvane.swf" md5="9f" version="1")",
                      R"(name="assets/loader_new_simplified.swf" md5="77" version="1")",
                      R"(name="plain.swf" md5="" version="1")",
                      R"(name="sounds/readme" md5="1" version="1")",
                      R"(name="maps/" md5="1" version="1")",
                      R"(name="noversion.swf" md5="1")",
                      R"(name="nomd5.swf" version="1")",
                      R"(md5="1" version="1")",
                      R"(name="../escape.swf" md5="1" version="1")",
                      R"(name="deep.swf" md5="../../x" version="1")",
                      R"(name="/abs.swf" md5="1" version="1")",
                      R"(name="C:\win.swf" md5="1" version="1")",
                  }));
    program.Write("update/config/simplified/Res.xml",
                  "<anything><x name=\"ui/a.png\" version=\"3\"><nested name=\"n.png\" version=\"1\"/></x>"
                  "<y name=\"ui/b.jpg\" version=\"\" other=\"1\"/><z name=\"noversion.png\"/>"
                  "<w name=\"ui/../../up.png\" version=\"1\"/><v name=\"ui/c.png\" version=\"../..\"/></anything>");
    updater.AddFileVersionEntries("FileVersion.xml");
    updater.AddResEntries("config/simplified/Res.xml");

    struct Expected {
        std::string stored, url;
        int phase;
    } expected[] = {
        {"update/assets/ui/9f_a.png", "http://h/r/assets/ui/9f_a.png", 1},
        {"update/Talvane.swf", "http://h/r/Talvane.swf", 1},
        {"update/assets/loader_new_simplified.swf", "http://h/r/assets/loader_new_simplified.swf", 1},
        {"update/plain.swf", "http://h/r/plain.swf", 1},
        {"update/ui/3_a.png", "http://h/r/ui/a.png", 2},
        {"update/ui/b.jpg", "http://h/r/ui/b.jpg", 2},  // an empty version is no prefix
    };
    ASSERT_EQ(updater.tasks.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(updater.tasks[i].StoredPath(), expected[i].stored) << i;
        EXPECT_EQ(updater.tasks[i].url, expected[i].url) << i;
        EXPECT_EQ(updater.tasks[i].phase, expected[i].phase) << i;
        EXPECT_EQ(updater.tasks[i].state, TASK_PENDING) << i;
    }
    EXPECT_EQ(updater.totalCount, 6);
    EXPECT_EQ(updater.fileVersionCount, 4);
}

// The decision rule against the previous run's versions and the files in the cache.
TEST_F(ManifestTest, OnlyChangedOrMissingFilesAreFetched) {
    program.Write("update/FileVersion.xml", test::Manifest({
                                                R"(name="same.swf" md5="a1" version="1")",
                                                R"(name="deleted.swf" md5="a2" version="1")",
                                                R"(name="Talvane.swf" md5="a3" version="1.0")",
                                                R"(name="older.swf" md5="a4" version="2")",
                                            }));
    program.Write("update/config/simplified/Res.xml",
                  test::Manifest({R"(name="Talvane.swf" version="1.0")", R"(version="5")", R"(name="r.png" version="1")"}));
    updater.LoadLocalVersions();
    EXPECT_EQ(updater.LocalVersions.size(), 5u);  // the Res entry without a name does not stop the loading
    EXPECT_EQ(updater.LocalVersions["Talvane.swf"], "1.0");

    program.Write("update/a1_same.swf", "cached");
    program.Write("update/Talvane.swf", "cached");
    program.Write("update/a4_older.swf", "cached");
    program.Write("update/a5_new.swf", "cached");
    program.Write("update/FileVersion.xml", test::Manifest({
                                                R"(name="same.swf" md5="a1" version="1")",      // current
                                                R"(name="deleted.swf" md5="a2" version="1")",   // file gone
                                                R"(name="Talvane.swf" md5="a3" version="1.00")",  // text differs
                                                R"(name="older.swf" md5="a4" version="1")",     // lower: differs too
                                                R"(name="new.swf" md5="a5" version="1")",       // new, file there
                                                R"(name="new2.swf" md5="a6" version="1")",      // new, no file
                                            }));
    updater.AddFileVersionEntries("FileVersion.xml");
    std::vector<std::string> fetched;
    for (const auto& task : updater.tasks) fetched.push_back(task.storedName);
    EXPECT_EQ(fetched, (std::vector<std::string>{"a2_deleted.swf", "Talvane.swf", "a4_older.swf", "a6_new2.swf"}));
}

TEST_F(ManifestTest, BrokenOrMissingManifestsAddNothing) {
    for (const std::string& text : {std::string(""), std::string("<files><file name=\"a.swf\""),
                                    std::string("\x00\xff\xfe junk", 8), std::string("<?xml version=\"1.0\"?>")}) {
        program.Write("update/FileVersion.xml", text);
        updater.AddFileVersionEntries("FileVersion.xml");
        updater.LoadLocalVersions();
    }
    updater.AddResEntries("config/simplified/missing.xml");
    EXPECT_TRUE(updater.tasks.empty());
    EXPECT_TRUE(updater.LocalVersions.empty());
    EXPECT_EQ(updater.totalCount, 0);
}

TEST_F(ManifestTest, LocalVersionsOnlyGrow) {
    program.Write("update/FileVersion.xml", test::Manifest({R"(name="a.swf" md5="1" version="1")"}));
    updater.LoadLocalVersions();
    program.Write("update/FileVersion.xml", test::Manifest({R"(name="b.swf" md5="1" version="2")"}));
    program.Write("update/config/simplified/Res.xml", test::Manifest({R"(name="b.swf" version="3")"}));
    updater.LoadLocalVersions();
    EXPECT_EQ(updater.LocalVersions, (std::map<std::string, std::string>{{"a.swf", "1"}, {"b.swf", "3"}}));
}

}  // namespace
