#pragma once

// The plain data a quality-control report of one batch is made from. The batch observer
// fills it through ReportBuilder; writeReport turns it into a folder with index.html.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch/file_set.h"
#include "formats/fmr_header.h"
#include "formats/roi_file.h"
#include "formats/tal_record.h"
#include "formats/trf_record.h"
#include "voi/voi_file.h"

namespace zandrel::report {

enum class ReportOutcome {
    converted,  // the .voi file was written (in a dry run: would be)
    reported,   // files of the set cannot be opened; the report was logged
    failed,     // an error while reading, building or saving
};

// The word the page shows for an outcome: "converted", "reported", "failed".
const char* outcomeWord(ReportOutcome outcome);

// The records a set's VOIs were built with; the pictures map the functional image through
// the same chain and landmark mapping. The FMR header needs no time-course volumes: the
// report reads a few of them from the data file when it is written.
struct SetRecords {
    RoiFile roi;
    FmrHeader fmr;
    TrfRecord ia;
    TrfRecord fa;
    TrfRecord acpc;
    TalRecord tal;
};

struct ReportSet {
    FileSet files;
    ReportOutcome outcome = ReportOutcome::failed;
    std::vector<std::string> logEntries;      // in the order they were logged
    std::string outputPath;                   // the .voi written (or that a dry run would write)
    std::optional<VoiFile> voiFile;           // when the VOIs were built
    std::vector<std::int64_t> skippedVoxels;  // per VOI: ROI voxels outside the functional grid
    std::optional<SetRecords> records;        // for the pictures; absent in a dry run
};

struct ReportModel {
    std::string listPath;
    std::string date;            // as the page shows it, e.g. "2026-12-08 04:40 UTC"
    std::string programVersion;
    double totalSeconds = 0.0;
    bool dryRun = false;
    std::vector<std::string> batchEntries;  // log entries outside any set
    std::vector<ReportSet> sets;            // in list order
};

struct OutcomeCounts {
    int found = 0;
    int converted = 0;
    int reported = 0;
    int failed = 0;
};
OutcomeCounts countOutcomes(const ReportModel& model);

}  // namespace zandrel::report
