#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "batch/set_records.h"
#include "cli/report/report_folder.h"
#include "cli/report/report_model.h"

namespace zandrel::report {

struct ReportOptions {
    std::int32_t sampledVolumes = 3;  // volumes of the time-course data averaged per set
};

// What the page shows of a set's pictures: a figure per VOI, or a note saying why there are none.
struct SetPictures {
    std::vector<PagePicture> pictures;
    std::string note;
};

// Writes a report into a folder while the batch runs: each converted set's pictures as the
// set ends, index.html at the end. It replaces an earlier report in that folder and nothing
// else (see ReportFolder); every file goes through a temporary file and a rename.
class ReportWriter {
public:
    // Prepares the folder before any set is converted, creating it when missing. Throws
    // std::runtime_error when the folder is refused (it holds files that are not a report).
    explicit ReportWriter(const std::string& dir, ReportOptions options = {});

    // Draws and writes the pictures of converted set `setIndex` (from 0). A set whose
    // pictures cannot be made (its time-course data unreadable, say) gets a note instead.
    // Throws std::runtime_error when a picture cannot be written to the folder.
    SetPictures addSet(std::size_t setIndex, const ConvertedSet& set);

    // Writes index.html and lists every file written in the folder's marker. Throws
    // std::runtime_error when a file cannot be written.
    void finish(const ReportModel& model);

private:
    ReportFolder folder_;
    ReportOptions options_;
};

// The rows of a converted set's VOI table: name, colour and skipped voxels from the set,
// figures from the cells of the saved file as it places on its grid. Throws
// std::runtime_error when the file cannot be placed on a grid.
std::vector<VoiRow> voiRowsOf(const ConvertedSet& set);

}  // namespace zandrel::report
