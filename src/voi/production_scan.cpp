#include <algorithm>

#include "geometry/point4.h"
#include "voi/voi_scan.h"

namespace zandrel {

ProductionScan::ProductionScan(const ScanSetup& setup) : setup_(setup) {
    // The landmark mapping treats each axis by itself, so the mapped x of (n, n, n) is the
    // mapped x of every point whose first index is n; likewise for y and z.
    for (std::int32_t n = 0; n < kTargetSize; ++n) {
        Point4 p;
        p.x = static_cast<float>(n);
        p.y = static_cast<float>(n);
        p.z = static_cast<float>(n);
        p.w = 1.0f;
        if (setup.mapLandmarks) p.mapTalairachToAcpc(*setup.tal);
        centred_[0][n] = p.x - 127.5f;
        centred_[1][n] = p.y - 127.5f;
        centred_[2][n] = p.z - 127.5f;
    }
    for (int r = 0; r < 3; ++r) {
        for (int a = 0; a < 3; ++a) {
            const float element = setup.chain.at(r, a);
            for (int n = 0; n < kTargetSize; ++n) product_[r][a][n] = element * centred_[a][n];
        }
        translation_[r] = setup.chain.at(r, 3) * 1.0f;  // the product with w = 1
    }
    firstAxisAscending_ = true;
    for (int n = 1; n < kTargetSize; ++n)
        firstAxisAscending_ = firstAxisAscending_ && centred_[0][n] >= centred_[0][n - 1];  // NaN: false
}

void ProductionScan::scan(const VolumeGrid& mask, const CellBox& box, std::vector<VoxelTriple>& voxels) const {
    const ScanBounds bounds(setup_, centred_, box);
    const std::vector<std::uint8_t>& is = bounds.indices(0);
    const std::vector<std::uint8_t>& js = bounds.indices(1);
    const std::vector<std::uint8_t>& ks = bounds.indices(2);
    const std::array<float, kTargetSize>& uFromI = centred_[0];
    const std::int32_t dimX = mask.dimX();
    const std::int32_t dimY = mask.dimY();
    const std::int32_t dimZ = mask.dimZ();
    const float cx = setup_.cx;
    const float cy = setup_.cy;
    const float cz = setup_.cz;
    const float tx = translation_[0];
    const float ty = translation_[1];
    const float tz = translation_[2];
    const std::array<float, kTargetSize>& xFromI = product_[0][0];
    const std::array<float, kTargetSize>& yFromI = product_[1][0];
    const std::array<float, kTargetSize>& zFromI = product_[2][0];

    // Hot kernel: neither throws nor allocates, except when the voxel list grows.
    // Each coordinate is the reference's ((m0*x + m1*y) + m2*z) + m3*w, then + centre,
    // summed in the same order from the same float products. Whether a point is kept is
    // hard to predict, so every candidate's triple is stored and only kept ones advance.
    std::size_t used = voxels.size();
    for (const std::uint8_t k : ks) {
        const float xk = product_[0][2][k];
        const float yk = product_[1][2][k];
        const float zk = product_[2][2][k];
        for (const std::uint8_t j : js) {
            const float xj = product_[0][1][j];
            const float yj = product_[1][1][j];
            const float zj = product_[2][1][j];
            double low = 0.0;
            double high = 0.0;
            if (!bounds.rowRange(centred_[1][j], centred_[2][k], low, high)) continue;
            const std::uint8_t* first = is.data();
            const std::uint8_t* last = first + is.size();
            if (firstAxisAscending_) {
                first = std::lower_bound(first, last, low,
                                         [&uFromI](std::uint8_t i, double u) { return uFromI[i] < u; });
                last = std::upper_bound(first, last, high,
                                        [&uFromI](double u, std::uint8_t i) { return u < uFromI[i]; });
            }
            const std::size_t needed = used + static_cast<std::size_t>(last - first);
            if (voxels.size() < needed) voxels.resize(std::max(needed, 2 * voxels.size()));
            VoxelTriple* const out = voxels.data();
            for (const std::uint8_t* at = first; at != last; ++at) {
                const std::uint8_t i = *at;
                if (!firstAxisAscending_ && !(uFromI[i] >= low && uFromI[i] <= high)) continue;
                const float x = (((xFromI[i] + xj) + xk) + tx) + cx;
                const std::int32_t nx = nearestCellIndex(x, dimX);
                if (nx < 0) continue;
                const float y = (((yFromI[i] + yj) + yk) + ty) + cy;
                const std::int32_t ny = nearestCellIndex(y, dimY);
                if (ny < 0) continue;
                const float z = (((zFromI[i] + zj) + zk) + tz) + cz;
                const std::int32_t nz = nearestCellIndex(z, dimZ);
                if (nz < 0) continue;
                out[used] = keptTriple(setup_, i, j, k);
                used += mask.get(nx, ny, nz) > 0.5f ? 1 : 0;
            }
        }
    }
    voxels.resize(used);
}

}  // namespace zandrel
