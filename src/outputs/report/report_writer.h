#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "batch/set_records.h"
#include "outputs/report/picture_jobs.h"
#include "outputs/report/report_folder.h"
#include "outputs/report/report_model.h"

namespace zandrel::report {

struct ReportOptions {
    std::int32_t sampledVolumes = 3;  // volumes of the time-course data averaged per set
    std::size_t drawingThreads = 0;   // threads drawing figures beside the batch; 0: one per processor, at most four
};

// What the page shows of a converted set beyond its log: the table of its VOIs and a figure
// per VOI, or a note saying why there are none.
struct DrawnSet {
    std::vector<VoiRow> rows;
    std::vector<PagePicture> pictures;
    std::string note;
};

// Writes a report into a folder while the batch runs: each converted set's figures are
// drawn and written by a few threads beside the batch as the set ends, index.html at the
// end. It replaces an earlier report in that folder and nothing else (see ReportFolder);
// every file goes through a temporary file.
class ReportWriter {
public:
    // Prepares the folder before any set is converted, creating it when missing. Throws
    // std::runtime_error when the folder is refused (it holds files that are not a report).
    explicit ReportWriter(const std::string& dir, ReportOptions options = {});

    // Has the VOI table of converted set `setIndex` (from 0) made and its figures drawn and
    // written, from a copy of the set. Throws std::runtime_error, before anything is drawn,
    // when the folder refuses one of their names.
    void addSet(std::size_t setIndex, const ConvertedSet& set);

    // Waits until every added set is drawn and returns what the page shows of each, with its
    // set index, in the order they were added. A set whose table cannot be made (a voxel
    // off its grid) or whose figures cannot be made (its time-course data unreadable, say)
    // gets a note instead. Once a figure cannot be written to the folder, its set and every
    // set not yet drawn get a note saying so, and failure() tells why.
    std::vector<std::pair<std::size_t, DrawnSet>> collect();
    std::string failure() const;

    // Writes index.html and lists every file written in the folder's marker. Throws
    // std::runtime_error when a file cannot be written.
    void finish(const ReportModel& model);

private:
    struct Pending {
        std::size_t setIndex = 0;
        std::unique_ptr<ConvertedSet> set;  // released once drawn
        DrawnSet result;
        std::vector<std::string> written;   // figures written completely
    };
    void draw(Pending& pending);
    void fail(const std::string& why);

    ReportFolder folder_;
    ReportOptions options_;
    mutable std::mutex failureMutex_;
    std::string failure_;
    std::atomic<bool> failed_{false};
    std::vector<std::unique_ptr<Pending>> pending_;
    PictureJobs jobs_;  // last: its threads run every queued job and are joined before anything they use goes away
};

// The rows of a converted set's VOI table: name, colour and skipped voxels from the set,
// figures from the cells of the saved file as it places on its grid. Throws
// std::runtime_error when the file cannot be placed on a grid.
std::vector<VoiRow> voiRowsOf(const ConvertedSet& set);

}  // namespace zandrel::report
