#pragma once

// The plain data a quality-control report of one batch is made from. The batch observer
// fills it through ReportBuilder while the batch runs; the page is written from it at the
// end. Only text and figures are kept per set: the records, VOIs and time-course samples
// of a set are drawn into pictures as the set ends and released with it, so a long list
// costs little memory.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_events.h"
#include "batch/file_set.h"
#include "batch/set_outcome.h"
#include "voi/voi_figures.h"

namespace zandrel::report {

// The word the page shows for an outcome: "converted", "reported", "failed".
const char* outcomeWord(SetOutcome outcome);

// One figure of the page: a PNG beside index.html, its panels left to right.
struct PagePicture {
    std::string file;      // name within the report folder; empty for a VOI without a figure
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::string alt;
    std::vector<std::string> captions;  // plain text, one per panel: orientation letters and cut coordinates
};

// One row of a set's VOI table.
struct VoiRow {
    std::string name;
    std::array<std::int32_t, 3> colour{{0, 0, 0}};  // red, green, blue as the file holds them
    VoiFigures figures;
    std::int64_t roiVoxels = 0;      // voxels of the ROI the VOI was made from
    std::int64_t skippedVoxels = 0;  // ROI voxels outside the functional grid
};

// The share of a ROI's voxels that lie inside its functional grid (the rest are skipped
// when its VOI is made), from 0 to 1; negative for a ROI without voxels.
double roiCoverage(const VoiRow& row);

struct ReportSet {
    FileSet files;
    SetOutcome outcome = SetOutcome::failed;
    std::vector<std::string> logEntries;  // in the order they were logged
    std::string outputPath;               // the .voi written (or that a dry run would write)
    std::vector<std::string> outputFiles; // the other files written for the set (NIfTI images, table, sidecar)
    bool built = false;                   // the VOIs were built: the rows below are its table
    std::string referenceSpace;           // as the .voi file names it
    std::vector<VoiRow> vois;             // in file order
    std::vector<PagePicture> pictures;    // one figure per VOI; empty when there are none
    std::string pictureNote;              // why there are no pictures (or figures), or empty
};

struct ReportModel {
    std::string folder;          // the report's folder, made absolute: the page's links start there
    std::string listPath;
    std::string date;            // as the page shows it, e.g. "2026-12-08 04:40 UTC"
    std::string programVersion;
    double totalSeconds = 0.0;
    bool dryRun = false;
    std::vector<std::string> batchEntries;  // log entries outside any set
    std::vector<ReportSet> sets;            // in list order
    BatchSummary summary;                   // the outcomes of `sets`, counted as they end
    std::optional<BatchInterrupted> interruption;  // where a stop request ended the batch
};

}  // namespace zandrel::report
