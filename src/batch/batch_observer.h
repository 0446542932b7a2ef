#pragma once

#include <string>

#include "batch/batch_events.h"
#include "batch/file_set.h"
#include "batch/set_outcome.h"
#include "batch/set_records.h"

namespace zandrel {

// The end of one set, as the batch run tells its observer.
struct SetResult {
    int setNumber = 0;                       // 1 for the first set of the list
    SetOutcome outcome = SetOutcome::converted;
    std::string outputPath;                  // the .voi file written (dry run: that would be); empty otherwise
    std::string message;                     // the error of a failed set; empty otherwise
    std::string reason;                      // the system's reason after that error, for a file
                                             // that could not be created or written; else empty
    const ConvertedSet* converted = nullptr; // records, chain, build report and saved file of a
                                             // converted set, only while the call runs; null for
                                             // a dry run, a report and a failure
};

// Receives what a batch run reports, in order: each event as it happens, and each set
// framed by its start and its end. The framing hooks do nothing unless overridden. An
// observer that wants the log texts derives from LogEntryObserver (log_wording.h).
//
// A hook should not throw: an exception from onEvent while a set is converted counts as a
// failure of that set; any other leaves runBatch.
class BatchObserver {
public:
    virtual ~BatchObserver() = default;

    virtual void onEvent(const BatchEvent& event) = 0;
    virtual void onSetStarted(int setNumber, const FileSet& set) {
        static_cast<void>(setNumber);
        static_cast<void>(set);
    }
    virtual void onSetFinished(const FileSet& set, const SetResult& result) {
        static_cast<void>(set);
        static_cast<void>(result);
    }
};

}  // namespace zandrel
