#pragma once

#include <string>

#include "batch/batch_observer.h"
#include "batch/file_set.h"
#include "batch/run_set.h"

namespace zandrel {

// Whether `path` names a regular file that can be opened for reading; the file is closed
// again at once. An empty path, a folder and any other non-regular file (a named pipe,
// a device) count as not openable: none of them can hold a file of a set, and opening a
// pipe could block the batch.
bool canOpenForReading(const std::string& path);

// The path up to its last "." (the whole path when it has none) followed by `suffix`.
// The dot may lie in a folder name: "D:\a.b\xroi" gives "D:\a" + suffix.
std::string outputPathFor(const std::string& path, const std::string& suffix);

// "_TAL_.voi" when the set names a TAL file, else "_ACPC_.voi": the name follows the
// presence of the TAL line, not the content of the TAL file.
const char* outputSuffixFor(const FileSet& set);

// The path of the .voi file a set is written to.
std::string outputPathFor(const FileSet& set);

// The same under `outputDir` when that is not empty: the ROI's path below the list's prefix
// (set.listPrefix) is kept under `outputDir`, so sets in different subject folders stay
// apart ("subject1/s1.roi" -> "<outputDir>/subject1/s1_TAL_.voi"). Throws
// std::runtime_error when the ROI file lies outside the prefix (an absolute path or a
// drive elsewhere, or one that leaves it through ".."): it has no place there.
std::string outputPathFor(const FileSet& set, const std::string& outputDir);

// Tests that every file of the set can be opened: ROI, FMR, IA, FA, ACPC, then TAL when
// the set names one. When one cannot, tests all six paths again and reports the set to
// `observer` as FilesNotLoaded with every file that failed, TAL tested also when the set
// names none; returns false then.
bool checkFileSet(const FileSet& set, BatchObserver& observer);

// Tests that every file of the run set can be opened, as checkFileSet does for a conversion
// set: VOI, FMR, IA, FA, ACPC, then TAL when the set names one. When one cannot, reports the
// set as RunFilesNotLoaded with every file that fails a second test (TAL tested also when the
// set names none) and returns false.
bool checkRunSet(const RunSet& set, BatchObserver& observer);

}  // namespace zandrel
