// PROVISIONAL: see voi_figures.h.
#include "cli/report/voi_figures.h"

#include <algorithm>
#include <utility>

namespace zandrel::report {

namespace {

// Each coordinate lies within [-2^20, 2^20) for any triple a VOI can hold (grid indices
// 0..255, Talairach coordinates -127..128), so three of them pack into one 64-bit key.
std::uint64_t keyOf(const VoxelTriple& v) {
    const auto part = [](std::int32_t c) { return static_cast<std::uint64_t>(static_cast<std::int64_t>(c) + (1 << 20)) & 0x1FFFFFu; };
    return part(v.x) << 42 | part(v.y) << 21 | part(v.z);
}

}  // namespace

std::vector<VoiFigures> computeVoiFigures(const VoiFile& file, double pointEdgeMm) {
    // Every (key, VOI) pair, sorted: a key held by two VOIs appears with two VOI numbers.
    std::vector<std::pair<std::uint64_t, std::size_t>> held;
    for (std::size_t n = 0; n < file.vois.size(); ++n)
        for (const VoxelTriple& v : file.vois[n].voxels) held.emplace_back(keyOf(v), n);
    std::sort(held.begin(), held.end());
    held.erase(std::unique(held.begin(), held.end()), held.end());

    std::vector<VoiFigures> figures(file.vois.size());
    for (std::size_t a = 0; a < held.size();) {
        std::size_t b = a;
        while (b < held.size() && held[b].first == held[a].first) ++b;
        if (b - a > 1)
            for (std::size_t c = a; c < b; ++c) ++figures[held[c].second].sharedVoxels;
        a = b;
    }

    const double pointVolume = pointEdgeMm * pointEdgeMm * pointEdgeMm;
    for (std::size_t n = 0; n < file.vois.size(); ++n) {
        const std::vector<VoxelTriple>& voxels = file.vois[n].voxels;
        VoiFigures& f = figures[n];
        f.voxels = static_cast<std::int64_t>(voxels.size());
        f.volumeMm3 = static_cast<double>(voxels.size()) * pointVolume;
        if (voxels.empty()) continue;
        for (const VoxelTriple& v : voxels) {
            f.centroid[0] += v.x;
            f.centroid[1] += v.y;
            f.centroid[2] += v.z;
        }
        for (double& c : f.centroid) c /= static_cast<double>(voxels.size());
    }
    return figures;
}

}  // namespace zandrel::report
