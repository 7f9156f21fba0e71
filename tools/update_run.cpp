// Runs one update run of the real engine, signed in, on a program directory:
//
//   update_run PROGRAM_DIR [--timeout SECONDS] [--no-reuse]
//
// The directory's urls.config names the resource host ([URLS] resourceurl); the cache is its
// update/ folder. Prints every phase notification with the done count, then one line per task
// with its state and stored path. Exits 0 when every task was done, 1 when any failed, 2 when
// the run did not finish in time or the arguments are wrong.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "cache/ResourceUpdater.h"
#include "cache/UpdateScheduler.h"
#include "platform/ExecutablePath.h"
#include "platform/MessageQueue.h"
#include "telemetry/HttpRequest.h"
#include "telemetry/ServerComm.h"

namespace {

const char* StateName(int state) {
    switch (state) {
        case TASK_PENDING: return "pending";
        case TASK_TRANSFERRING: return "transferring";
        case TASK_FAILED: return "failed";
        case TASK_DONE: return "done";
    }
    return "?";
}

class PrintingListener : public UpdateListener {
public:
    bool finished { false };
    void OnUpdateProgress(int phase, int doneCount) override {
        std::printf("phase %d done %d\n", phase, doneCount);
        std::fflush(stdout);
        if (phase == PHASE_FINISHED) finished = true;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: update_run PROGRAM_DIR [--timeout SECONDS] [--no-reuse]\n");
        return 2;
    }
    long timeoutSeconds = 3600;
    for (int i = 2; i < argc; ++i) {
        std::string option = argv[i];
        if (option == "--timeout" && i + 1 < argc) {
            timeoutSeconds = std::strtol(argv[++i], nullptr, 10);
        } else if (option == "--no-reuse") {
            // Every transfer on a connection of its own, for comparison.
            SetConnectionReuse(false);
        } else {
            std::fprintf(stderr, "update_run: unknown option %s\n", option.c_str());
            return 2;
        }
    }
    std::error_code error;
    std::filesystem::path program = std::filesystem::absolute(argv[1], error);
    if (error || !std::filesystem::is_directory(program)) {
        std::fprintf(stderr, "update_run: %s is no directory\n", argv[1]);
        return 2;
    }
    // The engine addresses everything relative to the executable's directory.
    platform::OverrideExecutablePath((program / "Tlvc").string());
    platform::MessageQueue::Instance().BindToCurrentThread();

    ResourceUpdater updater;
    PrintingListener listener;
    updater.SetListener(&listener);
    auto comm = std::make_shared<ServerComm>();
    auto scheduler = UpdateScheduler::OverServerComm(updater, comm);
    scheduler->signedIn = true;

    updater.StartRun();
    scheduler->Pump();
    bool finished = platform::MessageQueue::Instance().PumpUntil(
        [&] { return listener.finished && scheduler->inFlight == 0; }, std::chrono::seconds(timeoutSeconds));

    bool failed = false;
    for (const UpdateTask& task : updater.tasks) {
        std::printf("%s %s\n", StateName(task.state), task.StoredPath().c_str());
        failed = failed || task.state == TASK_FAILED;
    }
    if (!finished) {
        std::fprintf(stderr, "update_run: the run did not finish within %ld s\n", timeoutSeconds);
        return 2;
    }
    return failed ? 1 : 0;
}
