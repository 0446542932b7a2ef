#pragma once

#include <cstdint>
#include <string>

#include "cli/report/report_model.h"

namespace zandrel::report {

struct ReportOptions {
    std::int32_t sampledVolumes = 5;  // volumes of the time-course data averaged per set
};

// Writes `dir`/index.html and its pictures (PNG files beside it), replacing an earlier
// report in that folder and nothing else (see ReportFolder). Every file goes through a
// temporary file and a rename. A set whose pictures cannot be made (its time-course data
// unreadable, for instance) keeps its table and outcome, with a note in their place.
// Throws std::runtime_error when the folder is refused or a file cannot be written.
void writeReport(const std::string& dir, const ReportModel& model, const ReportOptions& options = {});

// Checks, before a batch starts, that `dir` can take a report (a new or empty folder, or one
// holding an earlier report), creating it when missing, so that a refused folder is known
// before the sets are converted. Throws std::runtime_error as writeReport would.
void prepareReportFolder(const std::string& dir);

}  // namespace zandrel::report
