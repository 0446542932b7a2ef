#pragma once

#include <string>

#include "batch/batch_observer.h"
#include "batch/convert_options.h"
#include "batch/file_set.h"
#include "batch/set_outcome.h"

namespace zandrel {

// Runs the batch of a list file: forms the sets one after another while the list is read
// and converts each as soon as it is complete, the list staying open until the end.
//
// Each set is framed by onSetStarted and onSetFinished, and what happens in between
// reaches `observer.onEvent`. An error in one set (a reader's or the writer's error, a
// refused count, a chain that cannot be computed, lack of memory) is reported as
// SetFailed with its text; no file is written for that set and the batch goes on.
//
// With options.stop, a stop request is honoured before the next set starts: the batch ends
// with BatchInterrupted and summary.interrupted (see interruptBeforeSet).
//
// A list file that cannot be opened gives listReadable = false and reports nothing to the
// observer; the caller shows kListUnreadableText. A list line longer than any path throws
// ListLineTooLong, which ends the batch.
BatchSummary runBatch(const std::string& listPath, BatchObserver& observer, const ConvertOptions& options = {});

// The number of sets the list forms (the ROI lines that start a set), for progress
// totals; 0 when the list cannot be read.
int countSets(const std::string& listPath, const ListReading& reading = {});

}  // namespace zandrel
