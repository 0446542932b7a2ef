#pragma once
// What a batch run reports, as values: the sets, paths, counts and error texts, never a
// finished sentence. log_wording.h turns each event into the log entries users read.

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "batch/file_set.h"
#include "batch/run_set.h"
#include "formats/shortfall.h"

namespace zandrel {

// Files of a set failed the open check: the set is reported, not converted. `unopenable`
// lists every file that failed the second test made for the report, in check order, TAL
// included also when the set names none.
struct FilesNotLoaded {
    FileSet set;
    std::vector<SetFile> unopenable;
};

// The set's .voi file was written.
struct SetConverted {
    std::string roiPath;
    std::string outputPath;
};

// Dry run: every file and record of the set checks out; `outputPath` would be written.
struct SetWouldConvert {
    std::string roiPath;
    std::string outputPath;
};

// The ROI file announces more plots or voxels than it holds; the set was converted with
// what it holds.
struct RoiIncomplete {
    std::string roiPath;
    RoiShortfall shortfall;
};

// ROI voxels of one VOI lay outside the functional grid and were skipped.
struct VoxelsSkipped {
    std::string roiPath;
    std::size_t voiIndex = 0;  // from 0, in file order
    std::int64_t count = 0;
};

// An error while the set was read, built or saved; nothing was written for it. `reason`
// is the system's reason for a file that could not be created or written ("Permission
// denied"), empty otherwise: the command line shows it after the error, the plug-in does not.
struct SetFailed {
    std::string roiPath;
    std::string error;
    std::string reason = {};
};

// Further outputs of a converted set could not be written; its .voi file stays.
struct OutputsFailed {
    std::string outputs;  // what could not be written, as a sentence names it: "NIfTI files"
    std::string roiPath;
    std::string error;
    std::string reason = {};  // as SetFailed's
};

// An error that ended the whole batch.
struct BatchStopped {
    std::string error;
};

// A stop request ended the batch between two sets: sets 1 to `afterSet` ran to the end (0:
// none ran), the later ones were not started. `setsInList` is the number of sets the whole
// list forms, 0 when unknown.
struct BatchInterrupted {
    int afterSet = 0;
    int setsInList = 0;
};

// Files of a run set failed the open check: the set is reported, not projected. As
// FilesNotLoaded, with the run set's files.
struct RunFilesNotLoaded {
    RunSet set;
    std::vector<RunFile> unopenable;
};

// The VOIs of `voiPath` were placed on the run of `fmrPath` and the set's files written.
struct SetProjected {
    std::string voiPath;
    std::string fmrPath;
};

// Dry run: every file and record of the run set checks out and the VOIs fit the run; the
// set's files, named from `outputStem`, would be written.
struct SetWouldProject {
    std::string voiPath;
    std::string fmrPath;
    std::string outputStem;
};

// A VOI of a projected set selects no functional voxel of the run: its plot in the .roi
// file is empty.
struct VoiSelectsNothing {
    std::string voiPath;
    std::string fmrPath;
    std::size_t voiIndex = 0;  // from 0, in file order
    std::string name;
};

// A run set was refused (a VOI that does not fit the run) or failed while it was read,
// placed or written; nothing was written for it.
struct ProjectionFailed {
    std::string voiPath;
    std::string fmrPath;
    std::string error;
    std::string reason = {};  // as SetFailed's
};

// The time courses of the VOIs of `voiPath` on the run of `fmrPath` were written.
struct SetExtracted {
    std::string voiPath;
    std::string fmrPath;
};

// Dry run: every file and record of the run set checks out, the VOIs fit the run and its
// time-course data holds what the header promises; `sidecarPath` and the set's tables would
// be written.
struct SetWouldExtract {
    std::string voiPath;
    std::string fmrPath;
    std::string sidecarPath;
};

// A run set was refused (a VOI that does not fit the run, a time-course file that cannot be
// read) or failed while it was read, extracted or written; nothing was written for it.
struct ExtractionFailed {
    std::string voiPath;
    std::string fmrPath;
    std::string error;
    std::string reason = {};  // as SetFailed's
};

using BatchEvent = std::variant<FilesNotLoaded, SetConverted, SetWouldConvert, RoiIncomplete, VoxelsSkipped,
                                SetFailed, OutputsFailed, BatchStopped, BatchInterrupted, RunFilesNotLoaded, SetProjected,
                                SetWouldProject, VoiSelectsNothing, ProjectionFailed, SetExtracted,
                                SetWouldExtract, ExtractionFailed>;

}  // namespace zandrel
