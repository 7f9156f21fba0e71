#include "telemetry/ReportTask.h"

#include <mutex>
#include <system_error>

#include "platform/ManualResetEvent.h"
#include "platform/TickCount.h"
#include "telemetry/ReportSender.h"

struct ReportTaskShared {
    std::mutex mutex;
    std::string url;
    std::shared_ptr<platform::ManualResetEvent> done;
    std::string eventName;

    std::shared_ptr<platform::ManualResetEvent> Done() {
        std::lock_guard lock(mutex);
        return done;
    }
};

namespace {

void RunWorker(std::shared_ptr<ReportTaskShared> shared) {
    std::string url;
    {
        std::lock_guard lock(shared->mutex);
        url = shared->url;
    }
    SendReport(url);
    if (auto done = shared->Done()) done->Set();
}

}  // namespace

ReportTask::ReportTask() : m_shared(std::make_shared<ReportTaskShared>()) {}

ReportTask::~ReportTask() {
    if (m_worker.joinable()) m_worker.detach();
}

std::string ReportTask::EventName() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->eventName;
}

bool CreateReportEvent(ReportTask& task) {
    // Signalled, unless a worker is recorded: a new event must not tell a waiter that a running
    // worker has ended (its wait would then clear, and join, a worker that still runs).
    auto done = std::make_shared<platform::ManualResetEvent>(!task.m_worker.joinable());
    std::lock_guard lock(task.m_shared->mutex);
    task.m_shared->done = std::move(done);
    const auto tick = static_cast<std::int32_t>(platform::GetTickCount());
    task.m_shared->eventName = "qq_task_event_" + std::to_string(tick);
    return true;
}

bool QueueReport(ReportTask& task, const std::string& url) {
    {
        std::lock_guard lock(task.m_shared->mutex);
        task.m_shared->url = url;
    }
    if (task.m_worker.joinable()) return false;

    // Reset before the worker exists: a worker that ends at once (an unusable URL) must find the
    // event reset, or its signal would be undone and the task would look busy for ever.
    auto done = task.m_shared->Done();
    if (done) done->Reset();
    try {
        task.m_worker = std::thread(RunWorker, task.m_shared);
    } catch (const std::system_error&) {
        if (done) done->Set();
        return false;
    }
    return true;
}

bool WaitForReport(ReportTask& task, std::uint32_t timeoutMs) {
    auto done = task.m_shared->Done();
    if (!done || !done->Wait(timeoutMs)) return false;
    // The worker signals as its last act, so this join is short.
    if (task.m_worker.joinable()) task.m_worker.join();
    return true;
}
