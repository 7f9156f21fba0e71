#include "platform/MessageLoop.h"

#include <glib.h>

#include "platform/MessageQueue.h"

namespace platform {
namespace {

GSource* queueSource = nullptr;

gboolean Prepare(GSource*, gint* timeout) {
    *timeout = -1;
    return MessageQueue::Instance().HasPending();
}

gboolean Check(GSource*) { return MessageQueue::Instance().HasPending(); }

gboolean Dispatch(GSource*, GSourceFunc, gpointer) {
    MessageQueue::Instance().Pump();
    return G_SOURCE_CONTINUE;
}

GSourceFuncs queueSourceFuncs = {Prepare, Check, Dispatch, nullptr, nullptr, nullptr};

}  // namespace

void AttachMessageQueueToMainLoop() {
    if (queueSource) return;
    MessageQueue& queue = MessageQueue::Instance();
    queue.BindToCurrentThread();
    queueSource = g_source_new(&queueSourceFuncs, sizeof(GSource));
    g_source_set_priority(queueSource, G_PRIORITY_DEFAULT);
    g_source_attach(queueSource, nullptr);
    queue.SetWakeup([] { g_main_context_wakeup(nullptr); });
}

void PumpPendingMessages() {
    MessageQueue& queue = MessageQueue::Instance();
    if (!queue.OnOwnerThread()) return;
    queue.Pump();
    if (queueSource) {
        // Bounded, so a steady stream of events cannot keep the caller here.
        for (int i = 0; i < 64 && g_main_context_iteration(nullptr, FALSE); ++i) {
        }
    }
}

}  // namespace platform
