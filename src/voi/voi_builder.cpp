#include "voi/voi_builder.h"

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "geometry/volume_grid.h"
#include "voi/grid_tables.h"
#include "voi/production_scan.h"
#include "voi/voi_scan.h"

namespace zandrel {

namespace {

enum class ScanKind { reference, production };

// Colour of the VOI of plot p is row p mod 6.
constexpr std::int32_t kColours[6][3] = {
    {255, 40, 50}, {80, 255, 80}, {40, 30, 255}, {255, 40, 255}, {80, 255, 255}, {255, 255, 30},
};

}  // namespace

void checkFunctionalGrid(const FmrHeader& fmr) {
    const std::int64_t x = fmr.ResolutionX.value;
    const std::int64_t y = fmr.ResolutionY.value;
    const std::int64_t z = fmr.NrOfSlices.value;
    // Each factor is below 2^31, so no partial product can overflow.
    const bool usable = x > 0 && y > 0 && z > 0 && x * y <= kMaxFunctionalCells && x * y * z <= kMaxFunctionalCells;
    if (usable) return;
    throw std::runtime_error("The functional grid of " + fmr.path + " is unusable: " + std::to_string(x) +
                             " x " + std::to_string(y) + " x " + std::to_string(z) +
                             " (ResolutionX x ResolutionY x NrOfSlices must be positive and hold at most " +
                             std::to_string(kMaxFunctionalCells) + " cells)");
}

namespace {

Voi newVoi(std::size_t position) {
    Voi voi;
    voi.NameOfVOI.key = "NameOfVOI";
    voi.NameOfVOI.value = "VOI " + std::to_string(position + 1);
    voi.NameOfVOI.width = 12;
    voi.NameOfVOI.quoted = false;
    voi.NameOfVOI.present = true;
    const std::int32_t* colour = kColours[position % 6];
    voi.red = colour[0];
    voi.green = colour[1];
    voi.blue = colour[2];
    voi.NrOfVoxels.key = "NrOfVoxels";
    voi.NrOfVoxels.value = 0;
    voi.NrOfVoxels.width = 12;
    voi.NrOfVoxels.present = true;
    return voi;
}

// Whether the chain is usable is the caller's judgement (its verdict); an unusable chain
// only keeps no points, or wrong ones, here.
VoiFile build(const RoiFile& roi, const FmrHeader& fmr, const SetChain& chain, VoiBuildReport* report,
              ScanKind kind) {
    checkFunctionalGrid(fmr);
    const std::int32_t dimX = fmr.ResolutionX.value;
    const std::int32_t dimY = fmr.ResolutionY.value;
    const std::int32_t dimZ = fmr.NrOfSlices.value;
    const ScanSetup setup = scanSetupOf(chain, fmr);

    VoiFile result;
    VolumeGrid mask(dimX, dimY, dimZ);
    mask.fill(0.0f);
    std::unique_ptr<ProductionScan> production;
    if (kind == ScanKind::production) production = std::make_unique<ProductionScan>(GridToFunctionalTables(setup, {{dimX, dimY, dimZ}}));
    std::vector<VoxelTriple> collected;
    std::vector<std::int64_t> skipped(roi.plots.size(), 0);
    result.vois.reserve(roi.plots.size());

    for (std::size_t p = 0; p < roi.plots.size(); ++p) {
        const std::vector<VoxelTriple>& marked = roi.plots[p].voxels;
        Voi voi = newVoi(p);
        if (kind == ScanKind::reference) mask.fill(0.0f);
        CellBox box;
        bool anyMarked = false;
        for (const VoxelTriple& v : marked) {
            if (!mask.contains(v.x, v.y, v.z)) {
                ++skipped[p];
                continue;
            }
            mask.set(v.x, v.y, v.z, 1.0f);
            const std::int32_t c[3] = {v.x, v.y, v.z};
            for (int a = 0; a < 3; ++a) {
                box.min[a] = anyMarked ? std::min(box.min[a], c[a]) : c[a];
                box.max[a] = anyMarked ? std::max(box.max[a], c[a]) : c[a];
            }
            anyMarked = true;
        }
        if (kind == ScanKind::reference) {
            scanReference(setup, mask, voi.voxels);
        } else if (anyMarked) {
            // Collected in a list that keeps its capacity from plot to plot, then copied at
            // its exact size: no regrowth per plot, no spare capacity in the result.
            collected.clear();
            production->scan(mask, box, collected);
            voi.voxels.assign(collected.begin(), collected.end());
            // Clear only what this plot marked: the next plot starts from an empty mask.
            for (const VoxelTriple& v : marked)
                if (mask.contains(v.x, v.y, v.z)) mask.set(v.x, v.y, v.z, 0.0f);
        }
        voi.NrOfVoxels.value = static_cast<std::int32_t>(voi.voxels.size());
        result.vois.push_back(std::move(voi));
    }

    result.NrOfVOIs.value = static_cast<std::int32_t>(result.vois.size());
    result.ReferenceSpace.value = referenceSpaceText(chain.space);
    if (report != nullptr) report->skippedVoxels = std::move(skipped);
    return result;
}

}  // namespace

const char* referenceSpaceText(GridSpace space) {
    switch (space) {
        case GridSpace::native: return "GF";
        case GridSpace::talairach: return "TAL";
        case GridSpace::acpc: break;
    }
    return "ACPC";
}

ScanSetup scanSetupOf(const SetChain& chain, const FmrHeader& fmr) {
    ScanSetup setup;
    setup.gridToFunctional = chain.gridToFunctional();
    setup.cx = static_cast<float>(fmr.ResolutionX.value - 1) * 0.5f;
    setup.cy = static_cast<float>(fmr.ResolutionY.value - 1) * 0.5f;
    setup.cz = static_cast<float>(fmr.NrOfSlices.value - 1) * 0.5f;
    setup.talairachToAcpc = chain.talairachToAcpc;
    setup.talairachForm = chain.talairachForm;
    return setup;
}

VoiFile buildVoiFile(const RoiFile& roi, const FmrHeader& fmr, const SetChain& chain, VoiBuildReport* report) {
    return build(roi, fmr, chain, report, ScanKind::production);
}

VoiFile buildVoiFile(const RoiFile& roi, const FmrHeader& fmr, const TrfRecord& ia, const TrfRecord& fa,
                     const TrfRecord& acpc, const TalRecord& tal, VoiBuildReport* report) {
    return buildVoiFile(roi, fmr, computeSetChain(fmr, ia, fa, acpc, tal), report);
}

VoiFile buildVoiFileReference(const RoiFile& roi, const FmrHeader& fmr, const TrfRecord& ia,
                              const TrfRecord& fa, const TrfRecord& acpc, const TalRecord& tal,
                              VoiBuildReport* report) {
    return build(roi, fmr, computeSetChain(fmr, ia, fa, acpc, tal), report, ScanKind::reference);
}

}  // namespace zandrel
