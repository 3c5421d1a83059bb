// A sound device's open or close on a worker that nobody joins: a driver's
// open or close may never return (SDL's disk driver opening, or writing
// into, a FIFO that nobody reads), and no caller may be held by that.
#pragma once

#include <functional>

namespace standin::mmstream {

// Runs `call` on a worker of the pool (SIGPIPE blocked there), then lets
// go of SDL's state for that thread. False when no thread could be started (the
// call has not run).
//
// SIGPIPE: closing SDL's disk driver writes what its file still buffers
// from the closing thread, and a FIFO whose reader has left would raise
// SIGPIPE there, which ends the process by default. Blocked, the write
// fails with EPIPE instead; the host's signal dispositions stay as they
// are. SDL's device thread, started by an open, inherits the mask (SDL
// blocks SIGPIPE in its threads itself as well).
bool CallDetached(const std::function<void()> &call);

}  // namespace standin::mmstream
