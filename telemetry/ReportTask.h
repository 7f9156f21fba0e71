#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

struct ReportTaskShared;

// How long a caller waits for its report before going on without it.
inline constexpr std::uint32_t REPORT_WAIT_MS = 10000;

// The sender of a program's reports. It is idle (no worker, done event signalled) or busy (a
// worker recorded, the done event reset until the worker ends). A worker stays recorded until a
// caller's wait sees the done event, so at most one worker per task ever runs; a report queued
// while one is recorded only replaces the URL.
//
// A task is driven from one thread (the user-interface thread); only its worker runs elsewhere.
class ReportTask {
public:
    ReportTask();
    // A worker still running is let go: it keeps what it shares with the task and ends by itself.
    ~ReportTask();
    ReportTask(const ReportTask&) = delete;
    ReportTask& operator=(const ReportTask&) = delete;

    bool HasWorker() const { return m_worker.joinable(); }
    // "qq_task_event_<tick count>" once the event exists. Nothing looks the event up by name here;
    // the name is kept for diagnostics.
    std::string EventName() const;

private:
    friend bool CreateReportEvent(ReportTask& task);
    friend bool QueueReport(ReportTask& task, const std::string& url);
    friend bool WaitForReport(ReportTask& task, std::uint32_t timeoutMs);

    std::shared_ptr<ReportTaskShared> m_shared;  // the URL and the done event, shared with the worker
    std::thread m_worker;
};

// Creates the task's done event, signalled (while a worker is recorded, reset until it ends). Call
// it before the first report on the task.
bool CreateReportEvent(ReportTask& task);

// Makes `url` the task's report. Starts a worker to send it when none is recorded and answers
// whether one was started; a recorded worker (running or not yet cleared) gets no company, and
// whether a running one sends the new URL depends on whether it has begun to send.
bool QueueReport(ReportTask& task, const std::string& url);

// The caller's side after queuing: waits up to `timeoutMs` for the done event and, when it comes,
// clears the worker so that the next report starts one of its own. False when the wait ran out
// (the worker stays recorded) or the task has no event.
bool WaitForReport(ReportTask& task, std::uint32_t timeoutMs = REPORT_WAIT_MS);
