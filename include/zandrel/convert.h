#pragma once
// Converting one set in memory: no file is written and nothing is logged.
//
//   ConvertedSet convertInMemory(const FileSet&, const ConvertOptions& = {})
//   ConvertedSet convertInMemory(SetRecords, const ConvertOptions& = {})
//
// A ConvertedSet holds the records, the chain, the build report (ROI voxels skipped per
// VOI) and the VoiFile. Converted from a FileSet, the VoiFile is named where `zandrel
// convert` writes it, and converted.voiFile.save() writes the same bytes; from records, the
// caller names it. wordEvent(RoiIncomplete{roi, roiShortfall(converted.records.roi)})
// (zandrel/batch.h) is the entry a batch logs when the ROI file holds less than it announces.

#include "batch/convert_in_memory.h"
#include "batch/convert_set.h"
#include "batch/set_check.h"
#include "formats/shortfall.h"
#include "zandrel/chain.h"
#include "zandrel/records.h"
