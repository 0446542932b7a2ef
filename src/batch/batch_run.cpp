#include "batch/batch_run.h"

#include <exception>
#include <fstream>
#include <new>

#include "batch/convert_set.h"
#include "batch/list_reader.h"
#include "batch/set_check.h"

namespace zandrel {

namespace {

void logFailure(std::ostream& log, const FileSet& set, const char* message) {
    log << "!!!! Could not convert " << set.roiPath << ": " << message << std::flush;
}

// Binary mode: the list reader drops CR before LF itself, the same on every platform.
bool openList(const std::string& listPath, std::ifstream& in) {
    if (!canOpenForReading(listPath)) return false;
    in.open(listPath, std::ios::in | std::ios::binary);
    return in.is_open() && in.good();
}

}  // namespace

BatchSummary runBatch(const std::string& listPath, std::ostream& log, const BatchOptions& options) {
    BatchSummary summary;
    std::ifstream in;
    if (!openList(listPath, in)) {
        summary.listReadable = false;
        return summary;
    }

    ListReader reader(in);
    FileSet set;
    while (reader.next(set)) {
        ++summary.setsFound;
        if (options.onSetStart) options.onSetStart(summary.setsFound, set);
        // The one place where the errors of a set are contained: every record of the set
        // has been released when a handler runs, so the batch goes on with the next set.
        try {
            const SetOutcome outcome =
                options.dryRun ? describeFileSet(set, log) : convertFileSet(set, log, options.crlf);
            if (outcome == SetOutcome::converted) {
                ++summary.converted;
            } else {
                ++summary.reported;
            }
        } catch (const std::bad_alloc&) {
            ++summary.failed;
            logFailure(log, set, "not enough memory");
        } catch (const std::exception& error) {
            ++summary.failed;
            logFailure(log, set, error.what());
        } catch (...) {
            ++summary.failed;
            logFailure(log, set, "unexpected error");
        }
    }
    return summary;
}

int countSets(const std::string& listPath) {
    std::ifstream in;
    if (!openList(listPath, in)) return 0;
    ListReader reader(in);
    FileSet set;
    int count = 0;
    while (reader.next(set)) ++count;
    return count;
}

}  // namespace zandrel
