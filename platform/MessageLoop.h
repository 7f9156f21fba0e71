#pragma once

namespace platform {

// Makes the GLib main loop of the calling thread drain the message queue through one source, and
// binds the queue to that thread. Idempotent.
void AttachMessageQueueToMainLoop();

// Dispatches what is waiting on the calling thread without blocking: the posted messages and,
// once a main loop is attached, its pending events (input, painting, timers). Does nothing on
// any other thread than the user-interface thread.
void PumpPendingMessages();

}  // namespace platform
