#pragma once

#include "batch/batch_observer.h"
#include "batch/convert_options.h"
#include "batch/file_set.h"
#include "batch/set_records.h"
#include "voi/voi_file.h"

namespace zandrel {

// Converts one set: checks its files (logging the report and returning `reported` when one
// cannot be opened), reads the ROI file, the FMR header, checks its time-course data file
// (regular file, size) without loading the samples, reads the IA, FA and ACPC files and
// the TAL file when named, refuses incomplete matrices and landmarks and an unusable
// chain, builds the VOIs and saves them next to the ROI file as "<stem>_TAL_.voi" or
// "<stem>_ACPC_.voi"; then logs "Converted " with the ROI path, then one entry when the ROI
// file holds fewer plots or voxels than it announces, then one entry per VOI for which ROI
// voxels outside the functional grid were skipped. Each log entry goes to `log.onEntry`.
// With `kept`, the records, chain, build report and saved file are moved there.
//
// With options.dryRun, checks the files, records and chain the same way, then logs "Would
// write " with the output path and " from " with the ROI path, and the entry on what the
// ROI file lacks; builds and writes nothing, `kept` stays untouched.
//
// Errors of reading, checking, building or saving are thrown (std::runtime_error with
// the message naming the file, std::bad_alloc); nothing has been logged for the set
// then, and no file has been written. The batch run contains them.
SetOutcome convertFileSet(const FileSet& set, BatchObserver& log, const ConvertOptions& options = {},
                          ConvertedSet* kept = nullptr);

}  // namespace zandrel
