#pragma once

namespace platform {

// Blocks until standard input reaches its end (or fails) or the process gets SIGINT or SIGTERM;
// whatever arrives on standard input is read and dropped. For command-line drivers: the signals
// are caught for the rest of the process, whichever thread they hit.
void WaitForStdinCloseOrSignal();

}  // namespace platform
