#pragma once

#include "batch/file_set.h"
#include "batch/set_records.h"

namespace zandrel {

// The records a set's chain is computed from.
struct ChainRecords {
    FmrHeader fmr;  // the header only
    TrfRecord ia;
    TrfRecord fa;
    TrfRecord acpc;
};

// Reads a set's records in the order ROI, FMR, IA, FA, ACPC, TAL (when the set names one),
// refusing what the conversion cannot honour: a transformation whose matrix is incomplete
// and a landmark file without all its landmarks. The time-course samples enter no output,
// so their file is only checked (name, regular file, size) right after the header;
// `loadTimeCourse` loads the samples instead.
//
// Throws std::runtime_error with the reader's or the refusal's text, naming the file; the
// first file that fails decides the message.
SetRecords readSetRecords(const FileSet& set, bool loadTimeCourse = false);

// Reads the records of the set's chain (FMR header, IA, FA, ACPC), refusing incomplete
// matrices as readSetRecords does; the time-course data and the ROI and TAL files are not
// touched.
ChainRecords readChainRecords(const FileSet& set);

}  // namespace zandrel
