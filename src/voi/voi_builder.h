#pragma once

#include <cstdint>
#include <vector>

#include "chain/set_chain.h"
#include "formats/fmr_header.h"
#include "formats/roi_file.h"
#include "formats/tal_record.h"
#include "formats/trf_record.h"
#include "voi/voi_file.h"

namespace zandrel {

struct VoiBuildReport {
    std::vector<std::int64_t> skippedVoxels;  // per VOI: ROI voxels outside the functional grid
};

// Largest functional grid the builder accepts, in cells: a mask of 128 MB, far above any
// real functional slice grid (256 x 256 x 128 is 8.4 million cells), so that a short
// header cannot make a conversion claim half a gigabyte.
constexpr std::int64_t kMaxFunctionalCells = std::int64_t{1} << 25;

// The ReferenceSpace text the builder writes for a chain of this space: "GF" without ACPC
// transformation, else "ACPC" without TAL record, else "TAL".
const char* referenceSpaceText(GridSpace space);

// Throws std::runtime_error naming the FMR file when the functional grid's sizes are not all
// positive or the grid holds more than kMaxFunctionalCells cells.
void checkFunctionalGrid(const FmrHeader& fmr);

// One VOI per plot of `roi`, in plot order, by inverse mapping of the 256^3 anatomical grid
// through the set's chain (the landmark step when it applies, then gridToFunctional) into
// the functional grid of `fmr`. The file name stays empty. ROI voxels outside the functional
// grid are skipped and counted in `report`. Judges nothing about the chain: callers check
// its verdict first. Throws std::runtime_error when the functional grid's sizes are not all
// positive or exceed kMaxFunctionalCells; std::bad_alloc on exhaustion. Visits only the
// anatomical grid points that can reach each plot's voxels.
VoiFile buildVoiFile(const RoiFile& roi, const FmrHeader& fmr, const SetChain& chain,
                     VoiBuildReport* report = nullptr);

// The same from the set's records: computes the chain (computeSetChain) and builds with it.
VoiFile buildVoiFile(const RoiFile& roi, const FmrHeader& fmr, const TrfRecord& ia, const TrfRecord& fa,
                     const TrfRecord& acpc, const TalRecord& tal, VoiBuildReport* report = nullptr);

// The same result by the straightforward scan: every anatomical grid point for every plot.
// Kept as the reference the faster scan is compared with.
VoiFile buildVoiFileReference(const RoiFile& roi, const FmrHeader& fmr, const TrfRecord& ia,
                              const TrfRecord& fa, const TrfRecord& acpc, const TalRecord& tal,
                              VoiBuildReport* report = nullptr);

}  // namespace zandrel
