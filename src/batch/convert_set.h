#pragma once

#include "batch/batch_observer.h"
#include "batch/convert_options.h"
#include "batch/file_set.h"
#include "batch/set_records.h"

namespace zandrel {

// Converts one set: checks its files (reporting FilesNotLoaded and returning `reported`
// when one cannot be opened), reads its records through readSetRecords, refuses an
// unusable chain, builds the VOIs and saves them next to the ROI file as
// "<stem>_TAL_.voi" or "<stem>_ACPC_.voi" (under options.outputDir, when given, at the
// ROI's path below the list's prefix, its missing folders created: outputPathFor); then reports SetConverted, RoiIncomplete when
// the ROI file holds fewer plots or voxels than it announces, and VoxelsSkipped for each
// VOI for which ROI voxels outside the functional grid were skipped. With `kept`, the
// records, chain, build report and saved file are moved there.
//
// With options.dryRun, checks the files, records and chain the same way and reports
// SetWouldConvert and RoiIncomplete instead, and throws FileError "Cannot Create file: "
// with the system's reason when the .voi file could not be created where it goes; builds
// and writes nothing, `kept` stays untouched.
//
// Errors of reading, checking, building or saving are thrown (std::runtime_error with
// the message naming the file, std::bad_alloc); nothing has been reported for the set
// then, and no file has been written. The batch run contains them.
SetOutcome convertFileSet(const FileSet& set, BatchObserver& observer, const ConvertOptions& options = {},
                          ConvertedSet* kept = nullptr);

}  // namespace zandrel
