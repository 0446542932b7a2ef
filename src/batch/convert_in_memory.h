#pragma once

#include "batch/convert_set.h"
#include "batch/file_set.h"
#include "batch/set_records.h"

namespace zandrel {

// Converts one set in memory, as convertFileSet does but writing and logging nothing:
// checks that every file of the set can be opened, reads the records with the set
// reader's refusals, computes the chain, refuses an unusable one and builds the VOIs. The
// returned VoiFile is named after the set ("<stem>_TAL_.voi" or "<stem>_ACPC_.voi") and
// carries options.crlf, so its save() writes the bytes `convertFileSet` writes; the build
// report counts the ROI voxels skipped per VOI. With options.outputDir the name lies under
// that folder (outputPathFor); its missing folders are not created here.
//
// Throws std::runtime_error: when a file cannot be opened, with the set's report entries
// (the ones convertFileSet logs) joined by line feeds; otherwise with the message a batch
// logs after "!!!! Could not convert <roi>: ". std::bad_alloc on exhaustion.
ConvertedSet convertInMemory(const FileSet& set, const ConvertOptions& options = {});

// The same from records already read (by readSetRecords or the readers one by one): the
// chain, refused when unusable, and the VOIs. The VoiFile's name stays empty; it carries
// options.crlf. options.loadTimeCourse plays no part here.
ConvertedSet convertInMemory(SetRecords records, const ConvertOptions& options = {});

}  // namespace zandrel
