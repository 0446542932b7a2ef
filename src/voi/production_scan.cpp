#include <algorithm>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define ZANDREL_SCAN_SSE2 1
#endif

#include "geometry/point4.h"
#include "voi/voi_scan.h"

namespace zandrel {

namespace {

// The landmark mapping treats each axis by itself, so the mapped x of (n, n, n) is the
// mapped x of every point whose first index is n; likewise for y and z.
ScanBounds::Centred centredCoordinates(const ScanSetup& setup) {
    ScanBounds::Centred centred{};
    for (std::int32_t n = 0; n < kTargetSize; ++n) {
        Point4 p;
        p.x = static_cast<float>(n);
        p.y = static_cast<float>(n);
        p.z = static_cast<float>(n);
        p.w = 1.0f;
        if (setup.mapLandmarks) p.mapTalairachToAcpc(*setup.tal);
        const auto at = static_cast<std::size_t>(n);
        centred[0][at] = p.x - 127.5f;
        centred[1][at] = p.y - 127.5f;
        centred[2][at] = p.z - 127.5f;
    }
    return centred;
}

// First index whose value is at least `low`, and one past the last whose value is at most
// `high`, in an ascending table; found by stepping from the previous row's answers, which
// neighbouring rows move by a step or two.
void followRange(const std::array<float, kTargetSize>& ascending, double low, double high, std::int32_t& first,
                 std::int32_t& end) {
    const auto at = [&ascending](std::int32_t n) { return static_cast<double>(ascending[static_cast<std::size_t>(n)]); };
    while (first > 0 && at(first - 1) >= low) --first;
    while (first < kTargetSize && at(first) < low) ++first;
    while (end < kTargetSize && at(end) <= high) ++end;
    while (end > 0 && at(end - 1) > high) --end;
}

// Whether one candidate is kept: its functional position, from its first-axis products in
// the reference's order, lies in the grid and samples a mask value above 0.5.
bool keepOne(const ScanRow& row, const float* values, float xi, float yi, float zi) {
    const float x = (((xi + row.fromJ[0]) + row.fromK[0]) + row.translation[0]) + row.centre[0];
    const float y = (((yi + row.fromJ[1]) + row.fromK[1]) + row.translation[1]) + row.centre[1];
    const float z = (((zi + row.fromJ[2]) + row.fromK[2]) + row.translation[2]) + row.centre[2];
    const bool inside = x >= -0.5f && x < row.cellEnd[0] && y >= -0.5f && y < row.cellEnd[1] && z >= -0.5f &&
                        z < row.cellEnd[2];
    return inside && values[(cellInRange(z) * row.dimY + cellInRange(y)) * row.dimX + cellInRange(x)] > 0.5f;
}

#ifdef ZANDREL_SCAN_SSE2
// keepOne for four candidates: lane by lane the same float additions, comparisons and
// conversions.
class KeepFour {
public:
    KeepFour(const ScanRow& row, const float* values) : values_(values) {
        for (std::size_t r = 0; r < 3; ++r) {
            fromJ_[r] = _mm_set1_ps(row.fromJ[r]);
            fromK_[r] = _mm_set1_ps(row.fromK[r]);
            translation_[r] = _mm_set1_ps(row.translation[r]);
            centre_[r] = _mm_set1_ps(row.centre[r]);
            cellEnd_[r] = _mm_set1_ps(row.cellEnd[r]);
        }
        dimX_ = _mm_set1_epi32(row.dimX);
        dimY_ = _mm_set1_epi32(row.dimY);
    }

    // Bit n set when candidate n of the four is kept.
    int operator()(const float* xs, const float* ys, const float* zs) const {
        const __m128 x = position(0, xs);
        const __m128 y = position(1, ys);
        const __m128 z = position(2, zs);
        const __m128 inside = _mm_and_ps(_mm_and_ps(inRange(0, x), inRange(1, y)), inRange(2, z));
        // Lanes outside the grid become 0.0f: a defined conversion, and cell 0.
        const __m128i nx = cellsInRange(_mm_and_ps(inside, x));
        const __m128i ny = cellsInRange(_mm_and_ps(inside, y));
        const __m128i nz = cellsInRange(_mm_and_ps(inside, z));
        alignas(16) std::int32_t cell[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(cell),
                        _mm_add_epi32(multiplyLow(_mm_add_epi32(multiplyLow(nz, dimY_), ny), dimX_), nx));
        const __m128 value = _mm_setr_ps(values_[cell[0]], values_[cell[1]], values_[cell[2]], values_[cell[3]]);
        return _mm_movemask_ps(_mm_and_ps(inside, _mm_cmpgt_ps(value, _mm_set1_ps(0.5f))));
    }

private:
    __m128 position(std::size_t r, const float* firstAxis) const {
        const __m128 v = _mm_add_ps(_mm_add_ps(_mm_loadu_ps(firstAxis), fromJ_[r]), fromK_[r]);
        return _mm_add_ps(_mm_add_ps(v, translation_[r]), centre_[r]);
    }
    __m128 inRange(std::size_t r, __m128 v) const {
        return _mm_and_ps(_mm_cmpge_ps(v, _mm_set1_ps(-0.5f)), _mm_cmplt_ps(v, cellEnd_[r]));
    }
    // cellInRange of four floats in the cell range (or 0).
    static __m128i cellsInRange(__m128 v) {
        const __m128i t = _mm_cvttps_epi32(v);
        const __m128 upper = _mm_cmpge_ps(_mm_sub_ps(v, _mm_cvtepi32_ps(t)), _mm_set1_ps(0.5f));
        return _mm_sub_epi32(t, _mm_castps_si128(upper));  // a true comparison is -1
    }
    // Low 32 bits of the four products a * b (the instruction multiplies lanes 0 and 2).
    static __m128i multiplyLow(__m128i a, __m128i b) {
        const __m128i even = _mm_mul_epu32(a, b);
        const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
        return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                                  _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
    }

    const float* values_;
    __m128 fromJ_[3];
    __m128 fromK_[3];
    __m128 translation_[3];
    __m128 centre_[3];
    __m128 cellEnd_[3];
    __m128i dimX_;
    __m128i dimY_;
};
#endif

}  // namespace

ProductionScan::ProductionScan(const ScanSetup& setup)
    : setup_(setup), centred_(centredCoordinates(setup)), bounds_(setup, centred_) {
    for (std::size_t r = 0; r < 3; ++r) {
        for (std::size_t a = 0; a < 3; ++a) {
            const float element = setup.chain.at(static_cast<int>(r), static_cast<int>(a));
            for (std::size_t n = 0; n < kTargetSize; ++n) product_[r][a][n] = element * centred_[a][n];
        }
        translation_[r] = setup.chain.at(static_cast<int>(r), 3) * 1.0f;  // the product with w = 1
    }
    firstAxisAscending_ = true;
    for (std::size_t n = 1; n < kTargetSize; ++n)
        firstAxisAscending_ = firstAxisAscending_ && centred_[0][n] >= centred_[0][n - 1];  // NaN: false
    for (std::size_t n = 0; n < kTargetSize; ++n) everyIndex_[n] = static_cast<std::uint8_t>(n);
}

void ProductionScan::scan(const VolumeGrid& mask, const CellBox& box, std::vector<VoxelTriple>& voxels) {
    bounds_.reset(box);
    ScanRow row;
    row.translation = translation_;
    row.centre = {setup_.cx, setup_.cy, setup_.cz};
    row.cellEnd = {cellRangeEnd(mask.dimX()), cellRangeEnd(mask.dimY()), cellRangeEnd(mask.dimZ())};
    row.dimX = mask.dimX();
    row.dimY = mask.dimY();
    const std::vector<std::uint8_t>& is = bounds_.indices(0);
    // Ranges of neighbouring rows nearly coincide: each row's search starts from the last.
    std::int32_t first = 0;
    std::int32_t end = 0;
    for (const std::uint8_t k : bounds_.indices(2)) {
        row.k = k;
        const ScanBounds::Partial partial = bounds_.partial(centred_[2][k]);
        for (std::size_t r = 0; r < 3; ++r) row.fromK[r] = product_[r][2][k];
        for (const std::uint8_t j : bounds_.indices(1)) {
            double low = 0.0;
            double high = 0.0;
            if (!bounds_.rowRange(centred_[1][j], partial, low, high)) continue;
            row.j = j;
            for (std::size_t r = 0; r < 3; ++r) row.fromJ[r] = product_[r][1][j];
            if (firstAxisAscending_) {
                followRange(centred_[0], low, high, first, end);
                if (first < end)
                    scanRow(mask, row, everyIndex_.data() + first, product_[0][0].data() + first,
                            product_[1][0].data() + first, product_[2][0].data() + first, end - first, voxels);
                continue;
            }
            // The first axis folds back on itself: test its candidates one by one, in order.
            std::int32_t count = 0;
            for (const std::uint8_t i : is) {
                const double u = centred_[0][i];
                if (!(u >= low && u <= high)) continue;
                const auto n = static_cast<std::size_t>(count++);
                listed_[n] = i;
                for (std::size_t r = 0; r < 3; ++r) listedProduct_[r][n] = product_[r][0][i];
            }
            if (count > 0)
                scanRow(mask, row, listed_.data(), listedProduct_[0].data(), listedProduct_[1].data(),
                        listedProduct_[2].data(), count, voxels);
        }
    }
}

// Hot kernel: neither throws nor allocates, except when the voxel list grows.
// Keeps the candidates is[n] of one row whose position samples a marked cell; xs, ys and zs
// hold their first-axis products. Each coordinate is the reference's
// ((m0*x + m1*y) + m2*z) + m3*w, then + centre, summed in the same order from the same float
// products, and the cell lookup agrees with nearestCellIndex for every float. Four candidates
// at a time where the processor has the vector instructions for it, the rest one by one.
void ProductionScan::scanRow(const VolumeGrid& mask, const ScanRow& row, const std::uint8_t* is, const float* xs,
                             const float* ys, const float* zs, std::int32_t count, std::vector<VoxelTriple>& voxels) {
    const float* const values = mask.data();
    std::uint8_t* const kept = kept_.data();
    std::int32_t keptCount = 0;
    std::int32_t n = 0;
#ifdef ZANDREL_SCAN_SSE2
    const KeepFour keepFour(row, values);
    for (; n + 4 <= count; n += 4) {
        // Kept points come in runs along a row: most groups of four are kept or dropped whole.
        const int bits = keepFour(xs + n, ys + n, zs + n);
        if (bits == 0) continue;
        if (bits == 0xF) {
            std::memcpy(kept + keptCount, is + n, 4);
            keptCount += 4;
            continue;
        }
        for (int lane = 0; lane < 4; ++lane) {
            kept[keptCount] = is[n + lane];
            keptCount += (bits >> lane) & 1;
        }
    }
#endif
    for (; n < count; ++n) {
        kept[keptCount] = is[n];
        keptCount += keepOne(row, values, xs[n], ys[n], zs[n]) ? 1 : 0;
    }

    if (voxels.capacity() - voxels.size() < static_cast<std::size_t>(keptCount))
        voxels.reserve(std::max(2 * voxels.capacity(), voxels.size() + static_cast<std::size_t>(keptCount)));
    for (std::int32_t m = 0; m < keptCount; ++m) voxels.push_back(keptTriple(setup_, kept[m], row.j, row.k));
}

}  // namespace zandrel
