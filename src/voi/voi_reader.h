#pragma once

#include <string>
#include <vector>

#include "formats/key_table.h"
#include "voi/voi_file.h"

namespace zandrel {

// A .voi file as read, and what was wrong with it.
struct VoiFileReading {
    // The header fields met in the file (fields not in the file are not present, FileVersion
    // then -1), every VOI read, and the trailing VTC count and names. Counts describe what
    // was read: NrOfVOIs is the number of VOIs in `vois`, each NrOfVoxels the number of its
    // triples; the numbers the file claimed, when they differ, are in `warnings`.
    // crlf is true when the file's first line ends in CR LF, so writing gives the same bytes.
    VoiFile file;
    // One sentence per defect: a VOI list or voxel list cut short, a negative count.
    std::vector<std::string> warnings;
};

// Reads a .voi file of any producer: any ReferenceSpace text, any FileVersion, names with
// blanks or double quotes (kept as written; only a value wholly between double quotes loses
// them, and is written with them again), LF or CR LF. Counts are never trusted: lists grow only by what the file holds,
// and a triple that was not in the file completely never becomes a voxel. Throws
// std::runtime_error "Failed opening for reading: " + path when the path is not a regular
// file or cannot be opened.
VoiFileReading readVoiFile(const std::string& path);

// The keys of a .voi file's header, in file order, up to and including "NrOfVOIs:", each
// with its record field: what the reader reads and what `inspect` shows.
const KeyTable<VoiFile>& voiHeaderKeys();

}  // namespace zandrel
