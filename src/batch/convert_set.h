#pragma once

#include "batch/batch_observer.h"
#include "batch/file_set.h"
#include "voi/voi_file.h"

namespace zandrel {

// Converts one set: checks its files (logging the report and returning `reported` when one
// cannot be opened), reads the ROI file, the FMR header with its time-course data, the
// IA, FA and ACPC files and the TAL file when named, checks the chain matrix, builds the
// VOIs and saves them next to the ROI file as "<stem>_TAL_.voi" or "<stem>_ACPC_.voi";
// then logs "Converted " with the ROI path, followed by one entry per VOI for which ROI
// voxels outside the functional grid were skipped. With `crlf` the .voi file gets CR LF
// line ends on every platform. Each log entry goes to `log.onEntry`. With `saved`, the
// saved VoiFile is moved there.
//
// Errors of reading, checking, building or saving are thrown (std::runtime_error with
// the message naming the file, std::bad_alloc); nothing has been logged for the set
// then, and no file has been written. The batch run contains them.
SetOutcome convertFileSet(const FileSet& set, BatchObserver& log, bool crlf = false,
                          VoiFile* saved = nullptr);

// A dry run of convertFileSet: checks the files as above, reads every record except the
// time-course data and checks the chain matrix, then logs "Would write " with the output
// path and " from " with the ROI path. Builds and writes nothing; throws as above.
SetOutcome describeFileSet(const FileSet& set, BatchObserver& log);

}  // namespace zandrel
