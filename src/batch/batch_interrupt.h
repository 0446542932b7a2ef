#pragma once

#include <exception>

#include "batch/batch_events.h"
#include "batch/batch_observer.h"
#include "batch/set_outcome.h"
#include "batch/stop_request.h"

namespace zandrel {

// Called by a batch loop with the set its list reader has just formed, before the set
// starts. Without a stop request it returns false and the set runs. With one, the batch
// ends here: the rest of the list is read only to count its sets (a list that cannot be
// read to its end leaves the total unknown, 0), the interruption is recorded in `summary`
// and reported as BatchInterrupted, outside any set, and it returns true.
template <typename Reader, typename Set>
bool interruptBeforeSet(const StopRequest* stop, Reader& reader, Set& set, BatchSummary& summary,
                        BatchObserver& observer) {
    if (stop == nullptr || !stop->requested()) return false;
    int setsInList = summary.setsFound + 1;
    try {
        while (reader.next(set)) ++setsInList;
    } catch (const std::exception&) {
        setsInList = 0;
    }
    summary.interrupted = true;
    summary.setsInList = setsInList;
    observer.onEvent(BatchInterrupted{summary.setsFound, setsInList});
    return true;
}

}  // namespace zandrel
