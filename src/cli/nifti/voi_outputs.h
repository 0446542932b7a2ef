#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch/file_set.h"
#include "formats/tal_record.h"
#include "geometry/matrix4.h"
#include "voi/voi_builder.h"
#include "voi/voi_file.h"

namespace zandrel {

// One label image for the whole file, or one 0/1 mask per VOI.
enum class NiftiMode { Labels, Masks };

// The gzip level of .nii.gz outputs, written with zlib's run-length strategy. Measured on
// generated sets (bench/nifti_bench.cpp): a 256-point label image comes to about 18 KB at
// every level from 1 to 9 with run-length matching, in about 27 ms; the default strategy
// needs level 6 and about 50 ms for the same size (levels 1 and 3 leave 75 KB).
constexpr int kNiftiGzipLevel = 6;

// Most mask images one file may ask for: a file of a few hundred kilobytes can declare
// tens of thousands of empty VOIs, and each mask costs a full grid.
constexpr std::size_t kMaxNiftiMasks = 1024;

// Where a .voi came from, as far as the caller knows; a conversion fills it, the export
// of an existing .voi has none.
struct NiftiProvenance {
    std::optional<FileSet> files;                       // the six paths of the set
    std::optional<std::array<float, 16>> chainMatrix;   // row-major
    std::string chainDirection = "anatomical grid to functional grid";
    std::optional<std::array<Landmark, landmark::Count>> landmarks;  // only when the mapping was used
    std::vector<std::int64_t> skippedRoiVoxels;         // per VOI; empty when not known
    // Whether the triples are Talairach millimetres (the set had a TAL record); decides
    // the form of a "GF" file, whose space text does not tell.
    std::optional<bool> talairachTriples;
};

// The provenance of a converted set: its paths, its chain matrix (anatomical grid to
// functional grid), the landmarks when the landmark mapping was used (TAL FileVersion > 0)
// and the builder's count of skipped ROI voxels per VOI.
NiftiProvenance conversionProvenance(const FileSet& files, const Matrix4& gridToFunctional, const TalRecord& tal,
                                     const VoiBuildReport& report);

// The files of one output set, named after a stem path (the target without extension).
struct NiftiOutputNames {
    std::vector<std::string> images;  // "<stem>.nii.gz", or "<stem>VOI<k>.nii.gz" for k = 1..n
    std::string table;                // "<stem>.tsv"
    std::string sidecar;              // "<stem>.json"
};
NiftiOutputNames niftiOutputNames(const std::string& stemPath, NiftiMode mode, std::size_t voiCount);

// The stem of a conversion's outputs: the .voi path without ".voi" ("s1_TAL_").
std::string convertStem(const std::string& voiPath);
// The stem of an export: the .voi's name without ".voi", in `outputDir` or, when that is
// empty, beside the .voi.
std::string exportStem(const std::string& voiPath, const std::string& outputDir);

struct NiftiOutputReport {
    std::vector<std::string> written;   // every file written, images first
    std::vector<std::string> warnings;  // from reading the .voi (export only)
};

// Writes the images, the table and the sidecar of `file` for the stem. Everything is
// prepared in temporary files first and renamed over the targets only when all of them
// are complete: a failure leaves every existing target as it was. Throws
// std::runtime_error: "ReferenceSpace cannot be placed: ..." (nothing written), a voxel
// outside the grid, more than 65535 VOIs for labels or kMaxNiftiMasks for masks,
// "Cannot Create file: " + target.
NiftiOutputReport writeVoiOutputs(const VoiFile& file, const std::string& stemPath, NiftiMode mode,
                                  const NiftiProvenance* provenance, int gzipLevel = kNiftiGzipLevel);

// Reads the .voi at `path` and writes its outputs under exportStem(path, outputDir).
NiftiOutputReport exportVoiFile(const std::string& path, NiftiMode mode, const std::string& outputDir);

}  // namespace zandrel
