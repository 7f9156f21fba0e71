// Whole update runs over real HTTP: the operator simulator serves a resource tree on 127.0.0.1,
// the engine fetches it into a temporary program directory.
#include <algorithm>
#include <filesystem>

#include "app/Config.h"
#include "cache/UpdateScheduler.h"
#include "platform/MessageQueue.h"
#include "telemetry/HttpRequest.h"
#include "telemetry/ServerComm.h"
#include "tests/cache/CacheFixture.h"
#include "tests/support/OperatorSimulator.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Fault = test::OperatorSimulator::Fault;

namespace {

class UpdateRunTest : public test::CacheFixture {
protected:
    void SetUp() override {
        CacheFixture::SetUp();
        platform::MessageQueue::Instance().BindToCurrentThread();
        SetTransferLimits(2000, 1000);
        Publish({{"assets/ui/a.png", "9f", "3", "png A"},
                 {"Talvane.swf", "c1", "1", "loader movie"},
                 {"assets/b.swf", "b2", "1", std::string("binary\0swf", 10)}},
                {{"ui/c.png", "3", "png C"}, {"data/d.json", "7", "{\"d\":1}"}});
        simulator = std::make_unique<test::OperatorSimulator>(remote.Path());
        SetResourceUrl(simulator->BaseUrl() + "220_9/");
    }
    void TearDown() override {
        SetTransferLimits(15000, 30000);
        CacheFixture::TearDown();
    }

    struct FileVersionEntry {
        std::string name, md5, version, body;
    };
    struct ResEntry {
        std::string name, version, body;
    };

    // Lays out the host's tree: the two manifests and every file under its remote name.
    void Publish(const std::vector<FileVersionEntry>& files, const std::vector<ResEntry>& res) {
        std::vector<std::string> fileEntries, resEntries;
        for (const auto& f : files) {
            fileEntries.push_back("name=\"" + f.name + "\" md5=\"" + f.md5 + "\" version=\"" + f.version + "\"");
            UpdateTask task = MakeUpdateTask(f.name, f.name == "Talvane.swf" ? "" : f.md5, f.version);
            remote.Write("220_9/" + task.dir + task.storedName, f.body);
        }
        for (const auto& r : res) {
            resEntries.push_back("name=\"" + r.name + "\" version=\"" + r.version + "\"");
            remote.Write("220_9/" + r.name, r.body);
        }
        remote.Write("220_9/config/FileVersion.xml", test::Manifest(fileEntries));
        remote.Write("220_9/config/simplified/Res.xml", test::Manifest(resEntries));
    }

    // One run of a freshly created launcher: new engine, new scheduler, signed in.
    void Run() {
        phases.clear();
        ResourceUpdater engine;
        engine.SetListener(this);
        auto comm = std::make_shared<ServerComm>();
        auto scheduler = UpdateScheduler::OverServerComm(engine, comm);
        scheduler->signedIn = true;
        engine.StartRun();
        scheduler->Pump();
        bool finished = platform::MessageQueue::Instance().PumpUntil(
            [&] { return !phases.empty() && phases.back() == PHASE_FINISHED && scheduler->inFlight == 0; }, 20s);
        ASSERT_TRUE(finished) << "the run did not reach phase 3";
        lastTasks = engine.tasks;
        phases.erase(std::unique(phases.begin(), phases.end()), phases.end());
    }

    std::size_t FilesFetched() const {
        std::size_t count = 0;
        for (const auto& request : simulator->Requests()) {
            if (request.path.find("/config/") == std::string::npos) ++count;
        }
        return count;
    }

    test::TempDir remote;
    std::unique_ptr<test::OperatorSimulator> simulator;
    std::vector<UpdateTask> lastTasks;
};

TEST_F(UpdateRunTest, FirstRunFetchesEverythingLaterRunsOnlyWhatChanged) {
    Run();
    EXPECT_EQ(program.Read("update/FileVersion.xml"), remote.Read("220_9/config/FileVersion.xml"));
    EXPECT_EQ(program.Read("update/config/simplified/Res.xml"), remote.Read("220_9/config/simplified/Res.xml"));
    EXPECT_EQ(program.Read("update/assets/ui/9f_a.png"), "png A");
    EXPECT_EQ(program.Read("update/Talvane.swf"), "loader movie");
    EXPECT_EQ(program.Read("update/assets/b2_b.swf"), std::string("binary\0swf", 10));
    EXPECT_EQ(program.Read("update/ui/3_c.png"), "png C");
    EXPECT_EQ(program.Read("update/data/7_d.json"), "{\"d\":1}");
    EXPECT_EQ(FilesFetched(), 5u);
    for (const auto& task : lastTasks) EXPECT_EQ(task.state, TASK_DONE) << task.StoredPath();
    // Versions travel as "?v=", FileVersion files under their content-tagged names.
    EXPECT_EQ(simulator->RequestCount("/220_9/assets/ui/9f_a.png"), 1u);
    EXPECT_EQ(simulator->RequestCount("/220_9/ui/c.png"), 1u);
    for (const auto& request : simulator->Requests()) EXPECT_TRUE(request.query.starts_with("v=")) << request.path;

    // Unchanged manifests: only the manifests travel.
    simulator->ClearFaults();
    Run();
    EXPECT_EQ(FilesFetched(), 0u);
    EXPECT_EQ(lastTasks.size(), 2u);

    // A new version is fetched, committed, and the old one pruned; a deleted file comes back.
    Publish({{"assets/ui/a.png", "a0", "4", "png A v4"},
             {"Talvane.swf", "c2", "2", "loader movie 2"},
             {"assets/b.swf", "b2", "1", std::string("binary\0swf", 10)}},
            {{"ui/c.png", "4", "png C v4"}, {"data/d.json", "7", "{\"d\":1}"}});
    fs::remove(program / "update/data/7_d.json");
    simulator->ClearFaults();
    Run();
    EXPECT_EQ(FilesFetched(), 4u);
    EXPECT_EQ(program.Read("update/assets/ui/a0_a.png"), "png A v4");
    EXPECT_FALSE(fs::exists(program / "update/assets/ui/9f_a.png"));
    EXPECT_EQ(program.Read("update/Talvane.swf"), "loader movie 2");
    EXPECT_EQ(program.Read("update/ui/4_c.png"), "png C v4");
    EXPECT_FALSE(fs::exists(program / "update/ui/3_c.png"));
    EXPECT_EQ(program.Read("update/data/7_d.json"), "{\"d\":1}");
}

TEST_F(UpdateRunTest, PhasesFollowWhicheverManifestArrivesFirst) {
    Run();
    EXPECT_TRUE(phases == (std::vector<int>{0, 1, 2, 3}) || phases == (std::vector<int>{0, 2, 1, 3}));

    // FileVersion arrives slowly: the Res block comes first.
    fs::remove_all(program / "update");
    simulator->SetSlow("/220_9/config/FileVersion.xml", 64, 100);
    Run();
    EXPECT_EQ(phases, (std::vector<int>{0, 2, 1, 3}));
}

TEST_F(UpdateRunTest, EveryInjectedFaultEndsAsAFailedTaskWithNothingCommitted) {
    struct Case {
        const char* name;
        Fault fault;
    } cases[] = {
        {"404 with a page", Fault::NotFound}, {"500", Fault::ServerError}, {"empty 200", Fault::Empty},
        {"cut off", Fault::CutOff},           {"stalled", Fault::Stall},
    };
    for (const auto& c : cases) {
        fs::remove_all(program / "update");
        simulator->ClearFaults();
        simulator->SetFault("/220_9/assets/ui/9f_a.png", c.fault);
        simulator->SetFault("/220_9/ui/c.png", c.fault);
        Run();
        EXPECT_FALSE(fs::exists(program / "update/assets/ui/9f_a.png")) << c.name;
        EXPECT_FALSE(fs::exists(program / "update/ui/3_c.png")) << c.name;
        EXPECT_EQ(program.Read("update/Talvane.swf"), "loader movie") << c.name;
        int failed = 0;
        for (const auto& task : lastTasks) failed += task.state == TASK_FAILED;
        EXPECT_EQ(failed, 2) << c.name;
        EXPECT_EQ(phases.back(), PHASE_FINISHED) << c.name;
    }

    // A failed manifest: the run goes on with the other one, and ends.
    fs::remove_all(program / "update");
    simulator->ClearFaults();
    simulator->SetFault("/220_9/config/FileVersion.xml", Fault::NotFound);
    Run();
    EXPECT_FALSE(fs::exists(program / "update/FileVersion.xml"));
    EXPECT_EQ(program.Read("update/ui/3_c.png"), "png C");
    EXPECT_EQ(phases, (std::vector<int>{0, 2, 3}));
}

TEST_F(UpdateRunTest, ACommittedFileIsReplacedWholeNeverPartly) {
    Run();
    // A changed loader movie whose new transfer breaks keeps the old, complete file.
    Publish({{"Talvane.swf", "c2", "2", std::string(200000, 'n')}}, {});
    simulator->ClearFaults();
    simulator->SetFault("/220_9/Talvane.swf", Fault::CutOff);
    Run();
    EXPECT_EQ(program.Read("update/Talvane.swf"), "loader movie");
    for (const auto& entry : fs::recursive_directory_iterator(program / "update"))
        EXPECT_EQ(entry.path().string().find(".tlvtmp"), std::string::npos) << entry.path();
}

}  // namespace
