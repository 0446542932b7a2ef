#pragma once

// What `project` and `extract` share: a run list worked through set by set, each log entry
// on standard output, the transcript and the progress line as `convert` has them, and the
// exit status from the sets' outcomes.
#include <functional>
#include <string>

#include <CLI/CLI.hpp>

#include "batch/batch_observer.h"
#include "batch/set_outcome.h"
#include "batch/stop_request.h"

namespace zandrel::cli {

struct RunListRun {
    std::string command;         // "project", "extract": names the command in messages
    std::string listPath;
    std::string transcriptPath;  // empty: no transcript
};

// Declares `--transcript FILE` on `command`, bound to `path`.
void addTranscriptOption(CLI::App& command, std::string& path);

// Checks the list and the transcript (a transcript that would replace the list is a usage
// error), shows the progress on a terminal, runs `batch` with the console as its observer
// and the stop request that Ctrl-C raises (the batch passes it on to its loop), and returns
// the exit status: 0 when every set succeeded, 1 when a set was reported or failed, the
// list names no set or the transcript is incomplete, 2 when the list cannot be read or the
// transcript cannot be created, 130 when Ctrl-C stopped the batch before its last set.
int runOnRunList(const RunListRun& run,
                 const std::function<BatchSummary(BatchObserver&, const StopRequest&)>& batch);

}  // namespace zandrel::cli
