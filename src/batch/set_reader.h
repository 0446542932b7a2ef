#pragma once

#include "batch/file_set.h"
#include "batch/set_records.h"

namespace zandrel {

// Reads a set's records in the order ROI, FMR, IA, FA, ACPC, TAL with every refusal the
// conversion applies: the time-course data file is checked (name, regular file, size)
// without loading its samples unless `loadTimeCourse`; a transformation whose matrix is
// incomplete and a landmark file without all its landmarks are refused. Throws
// std::runtime_error with the reader's or the refusal's text.
SetRecords readSetRecords(const FileSet& set, bool loadTimeCourse);

}  // namespace zandrel
