#pragma once
// The batch of `zandrel extract`: every run set of a run list placed on its run, its VOIs'
// time courses streamed from the run's data, and per set the tables, the sidecar and the
// coverage table written together.

#include <string>

#include "batch/batch_observer.h"
#include "batch/run_set.h"
#include "batch/set_outcome.h"
#include "batch/stop_request.h"
#include "runs/timecourse_extract.h"

namespace zandrel {

struct ExtractRunOptions {
    ExtractOptions extraction;  // the statistics (in the order asked) and the weighted mean
    double minOccupancy = 0.5;  // T: a cell is selected when the VOI fills at least this share
    std::string outputDir;      // empty: beside each run's .fmr file
    bool dryRun = false;        // check every set (files, records, space, time-course size), write nothing
    const StopRequest* stop = nullptr;  // checked before each set; null: the batch always runs to its end
};

// Runs the run list's sets one after another while the list is read, each placed on its run
// as `zandrel project` places it (projectRunSet) and its files named from the same stem,
// "<fmr stem>_<voi stem>" beside the .fmr file or in outputDir. Each set is framed by
// onSetStarted and onSetFinished (framingSet) and reports, in order: RunFilesNotLoaded when a
// file cannot be opened; else a VoiSelectsNothing per VOI that selects no cell of the run
// and SetExtracted once its files are written (SetWouldExtract in a dry run); or
// ExtractionFailed with the error text of a set that was refused or failed, for which
// nothing is written. The batch goes on until the list ends or a stop request in options.stop
// ends it before the next set (BatchInterrupted, as runBatch reports it). A list that cannot be opened gives
// listReadable = false and reports nothing.
BatchSummary runExtraction(const std::string& listPath, BatchObserver& observer, const ExtractRunOptions& options);

}  // namespace zandrel
