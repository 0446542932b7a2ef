#pragma once
// Running a batch: the sets of a list file, converted one after another, each written as
// its .voi file, every log entry and each set's start and end reported to an observer.
//
//   BatchSummary runBatch(listPath, BatchObserver&, const ConvertOptions& = {})
//   int          countSets(listPath)
//   BatchObserver  onEntry(text) with each log entry's exact text; onSetStarted and
//                  onSetFinished (SetResult: outcome, output path, error text and, while the
//                  call runs, the ConvertedSet) frame each set
//   ObserverFanOut hands every event to several observers in order
//   wordEvent(event)  the log entries of an event, as every log shows them;
//                  LogEntryObserver receives them one by one
//   ListReader     the sets of a list, one at a time
//   convertFileSet, describeFileSet, checkFileSet, outputPathFor: one set as the batch
//                  converts, describes (dry run) and checks it
//   StopRequest    ConvertOptions::stop: raised from anywhere (a signal handler too), it
//                  ends the batch before its next set (BatchInterrupted, summary.interrupted)

#include "batch/batch_observer.h"
#include "batch/batch_run.h"
#include "batch/convert_set.h"
#include "batch/file_set.h"
#include "batch/list_reader.h"
#include "batch/log_wording.h"
#include "batch/observer_fan_out.h"
#include "batch/set_check.h"
#include "batch/stop_request.h"
