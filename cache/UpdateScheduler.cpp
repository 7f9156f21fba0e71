#include "cache/UpdateScheduler.h"

#include <algorithm>
#include <cstdint>

#include "cache/PathUtils.h"
#include "cache/ResourceUpdater.h"
#include "platform/TickCount.h"
#include "telemetry/ServerComm.h"

UpdateScheduler::UpdateScheduler(ResourceUpdater& updater, Sender sender)
    : m_updater(updater), m_sender(std::move(sender)) {}

UpdateScheduler::~UpdateScheduler() {
    // Results that arrive later must not reach a scheduler that is gone.
    if (auto comm = m_comm.lock()) comm->BindResourceHandler({});
}

std::unique_ptr<UpdateScheduler> UpdateScheduler::OverServerComm(ResourceUpdater& updater,
                                                                  const std::shared_ptr<ServerComm>& comm) {
    std::weak_ptr<ServerComm> weak = comm;
    auto scheduler = std::make_unique<UpdateScheduler>(updater, [weak](const std::string& url, unsigned index) {
        if (auto target = weak.lock()) RequestResourceFile(target, url, index);
    });
    UpdateScheduler* self = scheduler.get();
    self->m_comm = comm;
    comm->BindResourceHandler(
        [self](bool failed, unsigned index, const std::string& body) { self->OnTransferResult(failed, index, body); });
    return scheduler;
}

void UpdateScheduler::Pump() {
    if (!signedIn || inFlight >= MAX_IN_FLIGHT) return;
    for (;;) {
        UpdateTask* task = m_updater.NextPendingTask(false);
        if (!task) {
            // A phase ends only when all of its transfers have been answered.
            if (inFlight != 0) return;
            task = m_updater.NextPendingTask(true);
            if (!task) {
                m_updater.EnterPhase(PHASE_FINISHED);
                return;
            }
            m_updater.EnterPhase(task->phase);
        }
        StartTransfer(static_cast<std::size_t>(task - m_updater.tasks.data()));
        if (inFlight >= MAX_IN_FLIGHT) return;
    }
}

void UpdateScheduler::StartTransfer(std::size_t index) {
    UpdateTask& task = m_updater.tasks[index];
    std::string url = task.url + "?v=";
    // Tasks without a version (the manifests) get the tick count, so every run fetches a fresh
    // copy past any HTTP cache.
    url += task.version.empty() ? std::to_string(static_cast<std::int32_t>(platform::GetTickCount())) : task.version;
    std::replace(url.begin(), url.end(), '\\', '/');

    const std::string directory = ToBackslashes(AppPath(task.CacheDirectory()));
    if (!DirectoryExists(directory)) CreateDirectoryPath(directory);

    task.state = TASK_TRANSFERRING;
    ++inFlight;
    m_sender(url, static_cast<unsigned>(index));
}

void UpdateScheduler::OnTransferResult(bool failed, unsigned index, const std::string& body) {
    if (closing) return;
    if (failed) {
        m_updater.OnTaskFailed(index);
    } else {
        m_updater.OnTaskDownloaded(index, body);
    }
    if (inFlight > 0) --inFlight;
    Pump();
}
