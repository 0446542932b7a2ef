#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "batch/set_records.h"
#include "outputs/table/voi_provenance.h"
#include "voi/voi_file.h"

namespace zandrel {

// The gzip level of .nii.gz outputs, written with zlib's run-length strategy. Measured on
// generated sets (bench/nifti_bench.cpp): a 256-point label image comes to about 18 KB at
// every level from 1 to 9 with run-length matching, in about 27 ms; the default strategy
// needs level 6 and about 50 ms for the same size (levels 1 and 3 leave 75 KB).
constexpr int kNiftiGzipLevel = 6;

// Most mask images one file may ask for: a file of a few hundred kilobytes can declare
// tens of thousands of empty VOIs, and each mask costs a full grid.
constexpr std::size_t kMaxNiftiMasks = 1024;

struct NiftiOutputReport {
    std::vector<std::string> written;   // every file written, images first
    std::vector<std::string> warnings;  // from reading the .voi (export only)
};

// Writes the images, the table and the sidecar of `file` for the stem. Everything is
// prepared in temporary files first and renamed over the targets only when all of them
// are complete (OutputGroup): a failure leaves every existing target as it was. Then the
// images that the previous sidecar of the stem listed and the new one does not (the other
// mode's) are removed, and nothing else (stale_outputs.h). Throws std::runtime_error:
// "ReferenceSpace cannot be placed: ..." (nothing written), a voxel outside the grid, more
// than 65535 VOIs for labels or kMaxNiftiMasks for masks; FileError "Cannot Create file: "
// + target with the system's reason.
NiftiOutputReport writeVoiOutputs(const VoiFile& file, const std::string& stemPath, NiftiMode mode,
                                  const NiftiProvenance* provenance, int gzipLevel = kNiftiGzipLevel);

// What `convert --nifti` writes for a converted set: the outputs of its VoiFile beside the
// .voi (stem convertStem(voiPath)), with the set's provenance (paths, chain matrix,
// landmarks, skipped ROI voxels).
NiftiOutputReport writeConvertedSetOutputs(const FileSet& set, const ConvertedSet& converted,
                                           const std::string& voiPath, NiftiMode mode);

// Reads the .voi at `path` and writes its outputs under exportStem(path, outputDir).
NiftiOutputReport exportVoiFile(const std::string& path, NiftiMode mode, const std::string& outputDir);

}  // namespace zandrel
