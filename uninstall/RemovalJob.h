#pragma once

#include <memory>
#include <string>
#include <thread>

#include "platform/MessageQueue.h"
#include "uninstall/UninstallMessages.h"

struct RemovalJobShared;

// Removes what an installation of the client left behind, on a thread of its own, in this order:
// the autostart entry, the web shortcuts that web/link.config lists, the start-menu folder, the
// desktop entry, the uninstall entry, and the installation directory with progress. Every step
// runs whatever became of the ones before it, and every failure is silent.
//
// Progress goes to the target given to Start as WM_REMOVAL_PROGRESS (wParam = percent, lParam 0):
// one post per deleted file of the installation directory, never lower than the one before, and
// one final post of 100 when the job ends, also when nothing could be deleted.
//
// The installation directory is deleted only when it holds the client program (the executable
// `Tlvc`, directly inside it). The home directory, the root, a directory above either, or a
// directory without the client (an inherited or mistyped path) loses nothing. Nothing is
// deleted through a symbolic link: a link inside the tree is removed as a link.
//
// A job is driven from one thread (the user-interface thread); only its worker runs elsewhere.
class RemovalJob {
public:
    RemovalJob();
    // A worker still running is cut short (it stops before its next entry) and joined.
    ~RemovalJob();
    RemovalJob(const RemovalJob&) = delete;
    RemovalJob& operator=(const RemovalJob&) = delete;

    // Records the installation directory (the client's form with "\" or a host path; a trailing
    // separator is allowed) and reads the user's folders: desktop, menu entries, autostart. The
    // folders are not created when missing. Has no effect once started.
    void Prepare(const std::string& installDirectory);

    // Starts the worker, which posts progress to `progressTarget` (by id, so a target that has
    // gone only loses the messages). False when a worker was started before or cannot be made.
    bool Start(platform::TargetId progressTarget);

    bool IsStarted() const { return m_started; }

    // Waits until the worker has ended (at once when none was started).
    void Join();

private:
    std::shared_ptr<RemovalJobShared> m_shared;  // what the worker reads and its stop flag
    std::thread m_worker;
    bool m_started { false };
};
