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

namespace zandrel {

// One label image for the whole file, or one 0/1 mask per VOI.
enum class NiftiMode { Labels, Masks };

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

}  // namespace zandrel
