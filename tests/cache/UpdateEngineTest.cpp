// The engine and its scheduler driven directly: transfers are recorded instead of sent, and the
// test hands back their results in the order it chooses.
#include <algorithm>
#include <filesystem>
#include <set>

#include "app/Config.h"
#include "cache/UpdateScheduler.h"
#include "tests/cache/CacheFixture.h"

namespace fs = std::filesystem;

namespace {

class UpdateEngineTest : public test::CacheFixture {
protected:
    struct Sent {
        std::string url;
        unsigned index;
    };

    UpdateTask Task(const std::string& path, int phase, const std::string& version = "1") {
        UpdateTask task = MakeUpdateTask(path, version, version);
        task.url = "http://h/" + path;
        task.phase = phase;
        return task;
    }

    std::vector<Sent> sent;
    UpdateScheduler scheduler { updater, [this](const std::string& url, unsigned index) { sent.push_back({url, index}); } };
};

TEST_F(UpdateEngineTest, NothingIsFetchedBeforeSignIn) {
    updater.StartRun();
    scheduler.Pump();
    EXPECT_EQ(phases, (std::vector<int>{0}));
    ASSERT_EQ(updater.tasks.size(), 2u);
    EXPECT_TRUE(sent.empty());
    updater.StartRun();  // once per run
    EXPECT_EQ(updater.tasks.size(), 2u);

    scheduler.signedIn = true;
    scheduler.Pump();
    ASSERT_EQ(sent.size(), 2u);
    // Manifests carry the tick count so that no cache answers for them.
    EXPECT_TRUE(sent[0].url.starts_with("http://www.talvane.example/220_9/config/FileVersion.xml?v=")) << sent[0].url;
    EXPECT_TRUE(sent[1].url.starts_with("http://www.talvane.example/220_9/config/simplified/Res.xml?v=")) << sent[1].url;
    EXPECT_TRUE(fs::is_directory(program / "update/config/simplified"));
    EXPECT_EQ(scheduler.inFlight, 2);
}

TEST_F(UpdateEngineTest, ElevenPendingTasksStartTenThenOnePerResult) {
    scheduler.signedIn = true;
    for (int i = 0; i < 11; ++i) updater.AddTask(Task("f" + std::to_string(i) + ".bin", PHASE_MANIFESTS));
    scheduler.Pump();
    ASSERT_EQ(sent.size(), 10u);
    EXPECT_EQ(sent[9].url, "http://h/f9.bin?v=1");
    EXPECT_EQ(updater.tasks[10].state, TASK_PENDING);

    scheduler.OnTransferResult(false, 3, "body");
    ASSERT_EQ(sent.size(), 11u);
    EXPECT_EQ(sent[10].index, 10u);
    EXPECT_EQ(scheduler.inFlight, 10);
    EXPECT_EQ(program.Read("update/1_f3.bin"), "body");
    EXPECT_EQ(updater.tasks[3].state, TASK_DONE);
}

TEST_F(UpdateEngineTest, PhasesFollowTheOrderInWhichTheManifestsWereCommitted) {
    const std::string fileVersion = test::Manifest({R"(name="a.swf" md5="m" version="1")"});
    const std::string res = test::Manifest({R"(name="b.png" version="2")"});
    struct Case {
        bool fileVersionFirst;
        std::vector<int> phases;
    } cases[] = {{true, {0, 1, 2, 3}}, {false, {0, 2, 1, 3}}};
    for (const auto& c : cases) {
        ResourceUpdater engine;
        engine.SetListener(this);
        phases.clear();
        sent.clear();
        UpdateScheduler run(engine, [this](const std::string& url, unsigned index) { sent.push_back({url, index}); });
        run.signedIn = true;
        engine.StartRun();
        run.Pump();
        ASSERT_EQ(sent.size(), 2u);
        if (c.fileVersionFirst) {
            run.OnTransferResult(false, 0, fileVersion);
            run.OnTransferResult(false, 1, res);
        } else {
            run.OnTransferResult(false, 1, res);
            run.OnTransferResult(false, 0, fileVersion);
        }
        // Both blocks are queued; the first one starts once both manifests are answered.
        ASSERT_EQ(sent.size(), 3u);
        run.OnTransferResult(false, sent[2].index, "x");
        ASSERT_EQ(sent.size(), 4u);
        run.OnTransferResult(false, sent[3].index, "y");
        // Every commit of a phase repeats its notification; the sequence of phases is what matters.
        phases.erase(std::unique(phases.begin(), phases.end()), phases.end());
        EXPECT_EQ(phases, c.phases) << (c.fileVersionFirst ? "FileVersion first" : "Res first");
        EXPECT_EQ(engine.doneCount, 2);
        EXPECT_EQ(run.inFlight, 0);
        fs::remove_all(program / "update");
    }
}

TEST_F(UpdateEngineTest, FailuresCountAndAreNotRetried) {
    scheduler.signedIn = true;
    updater.AddTask(Task("manifest.xml", PHASE_MANIFESTS, ""));
    updater.AddTask(Task("a.swf", PHASE_FILE_VERSION));
    updater.AddTask(Task("b.jpg", PHASE_RES));
    scheduler.Pump();
    scheduler.OnTransferResult(true, 0, "");
    EXPECT_EQ(updater.doneCount, 0);  // a failed phase-0 task does not count
    scheduler.OnTransferResult(true, 1, "");
    EXPECT_EQ(updater.tasks[1].state, TASK_FAILED);
    EXPECT_EQ(updater.doneCount, 1);
    scheduler.OnTransferResult(false, 2, "jpeg");  // committed, but a jpg does not count
    EXPECT_EQ(updater.doneCount, 1);
    EXPECT_EQ(program.Read("update/1_b.jpg"), "jpeg");
    EXPECT_EQ(phases, (std::vector<int>{1, 1, 2, 2, 3}));
    EXPECT_EQ(sent.size(), 3u);  // nothing started twice
    EXPECT_FALSE(fs::exists(program / "update/1_a.swf"));

    // Stray results (unknown index, a task already answered) change nothing.
    scheduler.OnTransferResult(false, 1, "late");
    scheduler.OnTransferResult(false, 999, "bogus");
    EXPECT_EQ(updater.tasks[1].state, TASK_FAILED);
    EXPECT_FALSE(fs::exists(program / "update/1_a.swf"));
    EXPECT_EQ(scheduler.inFlight, 0);
}

TEST_F(UpdateEngineTest, CommittingPrunesTheOtherVersions) {
    for (const char* name : {"2_a.png", "x_a.png", "a.png", "3_a.png", ".hidden_a.png", "2_b.png", "_a.png"})
        program.Write(std::string("update/ui/") + name, "old");
    fs::create_directories(program / "update/ui/dir_a.png");
    scheduler.signedIn = true;
    updater.AddTask(Task("ui/a.png", PHASE_RES, "3"));
    scheduler.Pump();
    scheduler.OnTransferResult(false, 0, "new");

    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(program / "update/ui")) left.insert(entry.path().filename());
    EXPECT_EQ(left, (std::set<std::string>{"a.png", "3_a.png", ".hidden_a.png", "2_b.png", "dir_a.png"}));
    EXPECT_EQ(program.Read("update/ui/3_a.png"), "new");
    EXPECT_EQ(updater.doneCount, 1);
}

TEST_F(UpdateEngineTest, AnUpgradeProgramIsAnnouncedForTheNextStart) {
    fs::create_directories(program / "update");
    scheduler.signedIn = true;
    UpdateTask upgrade = MakeUpdateTask("upgrade_1.2.0.0.exe", "", "1.1.6.0");
    upgrade.url = "http://h/dl/setup.exe";
    updater.AddTask(upgrade);
    scheduler.Pump();
    EXPECT_EQ(sent.at(0).url, "http://h/dl/setup.exe?v=1.1.6.0");
    scheduler.OnTransferResult(false, 0, "MZ program");
    EXPECT_EQ(program.Read("update/upgrade_1.2.0.0.exe"), "MZ program");
    EXPECT_EQ(ReadConfigInt(config::UPGRADE_NEED), 1);
    EXPECT_EQ(ReadConfigString(config::UPGRADE_EXE), "upgrade_1.2.0.0.exe");
    EXPECT_EQ(updater.doneCount, 0);
    EXPECT_EQ(phases, (std::vector<int>{3}));
}

TEST_F(UpdateEngineTest, AClosingLauncherDropsResults) {
    scheduler.signedIn = true;
    updater.AddTask(Task("a.swf", PHASE_MANIFESTS));
    updater.AddTask(Task("b.swf", PHASE_MANIFESTS));
    scheduler.Pump();
    scheduler.closing = true;
    scheduler.OnTransferResult(false, 0, "late");
    scheduler.OnTransferResult(true, 1, "");
    EXPECT_EQ(updater.tasks[0].state, TASK_TRANSFERRING);
    EXPECT_EQ(updater.tasks[1].state, TASK_TRANSFERRING);
    EXPECT_EQ(scheduler.inFlight, 2);
    EXPECT_FALSE(fs::exists(program / "update/1_a.swf"));
    EXPECT_TRUE(phases.empty());
}

TEST_F(UpdateEngineTest, SignOutLetsTransfersFinishAndStartsNothingNew) {
    scheduler.signedIn = true;
    for (int i = 0; i < 12; ++i) updater.AddTask(Task("f" + std::to_string(i) + ".swf", PHASE_MANIFESTS));
    scheduler.Pump();
    scheduler.signedIn = false;
    scheduler.OnTransferResult(false, 0, "a");
    EXPECT_EQ(sent.size(), 10u);
    EXPECT_EQ(updater.tasks[0].state, TASK_DONE);
    scheduler.signedIn = true;  // the next login resumes from the cursor
    scheduler.Pump();
    EXPECT_EQ(sent.size(), 11u);
    EXPECT_EQ(sent.back().index, 10u);
}

TEST_F(UpdateEngineTest, AResetRunDoesNotApplyOldResultsToNewTasks) {
    scheduler.signedIn = true;
    updater.AddTask(Task("a.swf", PHASE_FILE_VERSION));
    scheduler.Pump();
    updater.ResetTasks();
    UpdateTask upgrade = MakeUpdateTask("upgrade_2.exe", "", "1");
    upgrade.url = "http://h/u.exe";
    updater.AddTask(upgrade);
    scheduler.OnTransferResult(false, 0, "a.swf body");  // the old task 0 answers
    EXPECT_FALSE(fs::exists(program / "update/upgrade_2.exe"));
    EXPECT_EQ(ReadConfigInt(config::UPGRADE_NEED), 0);
    // With nothing in flight any more, the upgrade task starts on its own.
    EXPECT_EQ(sent.back().url, "http://h/u.exe?v=1");
    EXPECT_EQ(updater.tasks[0].state, TASK_TRANSFERRING);
}

TEST_F(UpdateEngineTest, AFinishedRunWithNoTasksReportsPhaseThreeAtOnce) {
    scheduler.signedIn = true;
    updater.StartRun();
    scheduler.Pump();
    scheduler.OnTransferResult(false, 0, test::Manifest({}));
    scheduler.OnTransferResult(true, 1, "");
    EXPECT_EQ(phases, (std::vector<int>{0, 3}));
    EXPECT_EQ(updater.tasks.size(), 2u);
}

}  // namespace
