#pragma once

#include <functional>
#include <memory>
#include <string>

class ResourceUpdater;
class ServerComm;

// The launcher's side of an update run: whether a user is signed in, how many transfers are in
// flight, whether the launcher is closing, and the scheduling step that starts transfers and
// switches phases. The launcher owns one with its ResourceUpdater.
class UpdateScheduler {
public:
    // At most this many transfers run at once.
    static constexpr int MAX_IN_FLIGHT = 10;

    // Starts the transfer of task `index` from `url`; its result must come back through
    // OnTransferResult.
    using Sender = std::function<void(const std::string& url, unsigned index)>;

    UpdateScheduler(ResourceUpdater& updater, Sender sender);
    ~UpdateScheduler();
    UpdateScheduler(const UpdateScheduler&) = delete;
    UpdateScheduler& operator=(const UpdateScheduler&) = delete;

    // Sends through `comm` and takes its resource results until the scheduler goes.
    static std::unique_ptr<UpdateScheduler> OverServerComm(ResourceUpdater& updater,
                                                           const std::shared_ptr<ServerComm>& comm);

    // Starts pending transfers of the current phase up to MAX_IN_FLIGHT; when a phase has no
    // more pending tasks and nothing is in flight, moves to the next pending task's phase, or
    // to phase 3 when there is none.
    void Pump();
    // Applies one transfer result, then pumps. Ignored while the launcher is closing.
    void OnTransferResult(bool failed, unsigned index, const std::string& body);

    bool signedIn { false };
    int inFlight { 0 };
    bool closing { false };

private:
    void StartTransfer(std::size_t index);

    ResourceUpdater& m_updater;
    Sender m_sender;
    std::weak_ptr<ServerComm> m_comm;  // whose results come here, when sending through one
};
