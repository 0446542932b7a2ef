#include "batch/batch_run.h"

#include <exception>
#include <fstream>
#include <new>

#include "batch/batch_interrupt.h"
#include "batch/convert_set.h"
#include "batch/list_reader.h"
#include "batch/log_wording.h"
#include "batch/set_check.h"
#include "batch/set_containment.h"

namespace zandrel {

namespace {

// Binary mode: the list reader drops CR before LF itself, the same on every platform.
bool openList(const std::string& listPath, std::ifstream& in) {
    if (!canOpenForReading(listPath)) return false;
    in.open(listPath, std::ios::in | std::ios::binary);
    return in.is_open() && in.good();
}

}  // namespace

BatchSummary runBatch(const std::string& listPath, BatchObserver& observer, const ConvertOptions& options) {
    BatchSummary summary;
    std::ifstream in;
    if (!openList(listPath, in)) {
        summary.listReadable = false;
        return summary;
    }

    ListReader reader(in, options.list);
    FileSet set;
    while (reader.next(set)) {
        if (interruptBeforeSet(options.stop, reader, set, summary, observer)) break;
        SetResult result;
        result.setNumber = summary.setsFound + 1;
        observer.onSetStarted(result.setNumber, set);
        ConvertedSet converted;
        result.outcome = containSetErrors(
            [&] { return convertFileSet(set, observer, options, &converted); }, result.message, &result.reason);
        summary.add(result.outcome);
        if (result.outcome == SetOutcome::failed) {
            observer.onEvent(SetFailed{set.roiPath, result.message, result.reason});
        } else if (result.outcome == SetOutcome::converted) {
            // The path the conversion used: it lies below the prefix, so this cannot throw.
            result.outputPath = outputPathFor(set, options.outputDir);
            if (!options.dryRun) result.converted = &converted;
        }
        observer.onSetFinished(set, result);
    }
    return summary;
}

int countSets(const std::string& listPath, const ListReading& reading) {
    std::ifstream in;
    if (!openList(listPath, in)) return 0;
    ListReader reader(in, reading);
    FileSet set;
    int count = 0;
    while (reader.next(set)) ++count;
    return count;
}

}  // namespace zandrel
