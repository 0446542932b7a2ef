#pragma once

#include "batch/stop_request.h"

namespace zandrel::cli {

// Ctrl-C stops a batch between two sets instead of in the middle of one. While an object
// of this class lives, the first SIGINT or SIGTERM (on Windows: Ctrl-C or Ctrl-Break at
// the console) raises stop(); the batch then ends after the set it is converting, with
// every output of that set complete or removed. The first signal also restores the
// default action, so a second one ends the process at once: a user can always get out.
// A signal that was ignored when the program started (a job started with nohup, say)
// stays ignored. The previous handling comes back when the object goes away.
class InterruptSignals {
public:
    InterruptSignals();
    ~InterruptSignals();
    InterruptSignals(const InterruptSignals&) = delete;
    InterruptSignals& operator=(const InterruptSignals&) = delete;

    const StopRequest& stop() const;
};

}  // namespace zandrel::cli
