#pragma once

// The hot kernel of the production scan: which candidates of one anatomical grid row are
// kept for one mask, four at a time where the processor has the vector instructions for
// it, and the triples of kept points written four at a time. Header-only, so that the
// traversal (production_scan.cpp) inlines it.

#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define ZANDREL_SCAN_SSE2 1
#endif

#include "geometry/volume_grid.h"
#include "geometry/voxel_triple.h"
#include "voi/voi_scan.h"

namespace zandrel {

#ifdef ZANDREL_SCAN_SSE2
// The kept lanes of a group of four candidates (bit n set for lane n): how many, and their
// numbers in order, packed one per byte from the lowest (unused bytes 0).
struct LanesOfFour {
    std::int32_t count = 0;
    std::uint32_t packed = 0;
};

constexpr std::array<LanesOfFour, 16> lanesOfFourTable() {
    std::array<LanesOfFour, 16> table{};
    for (std::uint32_t bits = 0; bits < 16; ++bits) {
        LanesOfFour& lanes = table[bits];
        for (std::uint32_t lane = 0; lane < 4; ++lane)
            if ((bits >> lane) & 1u) lanes.packed |= lane << (8 * lanes.count++);
    }
    return table;
}

constexpr std::array<LanesOfFour, 16> kLanesOfFour = lanesOfFourTable();

// The triples of kept points of one row (j, k), four at a time from their first-axis indices:
// the twelve values in memory order, as three vectors of four, each blending the indices
// into the row's constant values.
template <bool talairachForm>
class FourTriples {
public:
    FourTriples(std::int32_t j, std::int32_t k) {
        if (talairachForm) {
            // (128 - k, 128 - i, 128 - j): K I0 J K | I1 J K I2 | J K I3 J
            const std::int32_t kk = 128 - k;
            const std::int32_t jj = 128 - j;
            constants_[0] = _mm_setr_epi32(kk, 0, jj, kk);
            constants_[1] = _mm_setr_epi32(0, jj, kk, 0);
            constants_[2] = _mm_setr_epi32(jj, kk, 0, jj);
        } else {
            // (i, j, k): i0 j k i1 | j k i2 j | k i3 j k
            constants_[0] = _mm_setr_epi32(0, j, k, 0);
            constants_[1] = _mm_setr_epi32(j, k, 0, j);
            constants_[2] = _mm_setr_epi32(k, 0, j, k);
        }
    }

    void write(const std::uint8_t* is, VoxelTriple* out) const {
        static_assert(sizeof(VoxelTriple) == 12, "three values per triple, no padding");
        std::int32_t bytes = 0;
        std::memcpy(&bytes, is, 4);
        const __m128i zero = _mm_setzero_si128();
        __m128i i = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(bytes), zero), zero);
        __m128i v[3];
        if (talairachForm) {
            i = _mm_sub_epi32(_mm_set1_epi32(128), i);
            v[0] = blend(_mm_shuffle_epi32(i, _MM_SHUFFLE(0, 0, 0, 0)), _mm_setr_epi32(0, -1, 0, 0), 0);
            v[1] = blend(_mm_shuffle_epi32(i, _MM_SHUFFLE(2, 0, 0, 1)), _mm_setr_epi32(-1, 0, 0, -1), 1);
            v[2] = blend(_mm_shuffle_epi32(i, _MM_SHUFFLE(0, 3, 0, 0)), _mm_setr_epi32(0, 0, -1, 0), 2);
        } else {
            v[0] = blend(_mm_shuffle_epi32(i, _MM_SHUFFLE(1, 0, 0, 0)), _mm_setr_epi32(-1, 0, 0, -1), 0);
            v[1] = blend(_mm_shuffle_epi32(i, _MM_SHUFFLE(0, 2, 0, 0)), _mm_setr_epi32(0, 0, -1, 0), 1);
            v[2] = blend(_mm_shuffle_epi32(i, _MM_SHUFFLE(0, 0, 3, 0)), _mm_setr_epi32(0, -1, 0, 0), 2);
        }
        for (std::size_t n = 0; n < 3; ++n) _mm_storeu_si128(reinterpret_cast<__m128i*>(out) + n, v[n]);
    }

private:
    __m128i blend(__m128i indices, __m128i lanes, std::size_t vector) const {
        return _mm_or_si128(_mm_and_si128(indices, lanes), constants_[vector]);
    }

    __m128i constants_[3];
};
#endif

// Grids up to this many cells take four lanes: their cell indices are formed exactly in
// float arithmetic.
constexpr std::size_t kFourLaneCells = std::size_t{1} << 24;

// Which candidates of one anatomical grid row (j, k) are kept, for one mask. Each coordinate is the
// reference's ((m0*x + m1*y) + m2*z) + m3*w, then + centre, summed in the same order from the
// same float products, and the cell lookup agrees with nearestCellIndex for every float.
// With four lanes (where the processor has the vector instructions for them, and for grids
// of at most kFourLaneCells cells) four candidates are tested at a time with lane by lane the
// same float operations.
class RowKernel {
public:
    // translation: chain(r, 3) * 1.0f per functional axis; centre: cx, cy, cz.
    RowKernel(const std::array<float, 3>& translation, const std::array<float, 3>& centre, const VolumeGrid& mask,
              ScanLanes lanes)
        : translation_(translation), centre_(centre), values_(mask.data()), dimX_(mask.dimX()), dimY_(mask.dimY()) {
        cellEnd_ = {cellRangeEnd(mask.dimX()), cellRangeEnd(mask.dimY()), cellRangeEnd(mask.dimZ())};
#ifdef ZANDREL_SCAN_SSE2
        four_ = lanes == ScanLanes::four && mask.cellCount() <= kFourLaneCells;
        for (std::size_t r = 0; r < 3; ++r) {
            translationFour_[r] = _mm_set1_ps(translation_[r]);
            centreFour_[r] = _mm_set1_ps(centre_[r]);
            cellEndFour_[r] = _mm_set1_ps(cellEnd_[r]);
        }
        dimXFour_ = _mm_set1_ps(static_cast<float>(dimX_));
        dimYFour_ = _mm_set1_ps(static_cast<float>(dimY_));
#else
        (void)lanes;
#endif
    }

    // fromJ: chain(r, 1) * centred y of the row; fromK: chain(r, 2) * centred z.
    void setRow(const std::array<float, 3>& fromJ, const std::array<float, 3>& fromK) {
        fromJ_ = fromJ;
        fromK_ = fromK;
#ifdef ZANDREL_SCAN_SSE2
        for (std::size_t r = 0; r < 3; ++r) {
            fromJFour_[r] = _mm_set1_ps(fromJ_[r]);
            fromKFour_[r] = _mm_set1_ps(fromK_[r]);
        }
#endif
    }

    // Hot kernel: neither throws nor allocates.
    // Copies the kept ones of the candidates is[n], whose first-axis products are xs[n], ys[n]
    // and zs[n], to `kept` in order; returns how many. With `consecutive`, is[n] = is[0] + n.
    // The arrays are readable, and `kept` writable, up to `count` rounded up to a multiple of
    // four. Whether a point is kept is hard to predict: candidates are stored without a
    // branch, and only kept ones count.
    template <bool consecutive>
    std::int32_t keep(const std::uint8_t* is, const float* xs, const float* ys, const float* zs, std::int32_t count,
                      std::uint8_t* kept) const {
        std::int32_t keptCount = 0;
#ifdef ZANDREL_SCAN_SSE2
        if (four_) {
            const auto keepLanes = [&](std::int32_t n, int bits) {
                if (consecutive) {
                    // The kept indices are is[n] plus the kept lanes, four bytes at once (the
                    // vector instructions exist on little-endian processors only; no byte
                    // carries, since every index, used or not, is at most 255).
                    const LanesOfFour& lanes = kLanesOfFour[static_cast<std::size_t>(bits)];
                    const std::uint32_t word = is[n] * 0x01010101u + lanes.packed;
                    std::memcpy(kept + keptCount, &word, 4);
                    keptCount += lanes.count;
                    return;
                }
                for (int lane = 0; lane < 4; ++lane) {
                    kept[keptCount] = is[n + lane];
                    keptCount += (bits >> lane) & 1;
                }
            };
            std::int32_t n = 0;
            for (; n + 4 <= count; n += 4) keepLanes(n, keepFour(xs + n, ys + n, zs + n));
            // Lanes past the row's end are dropped.
            if (n < count) keepLanes(n, keepFour(xs + n, ys + n, zs + n) & ((1 << (count - n)) - 1));
            return keptCount;
        }
#endif
        for (std::int32_t n = 0; n < count; ++n) {
            kept[keptCount] = is[n];
            keptCount += keepOne(xs[n], ys[n], zs[n]) ? 1 : 0;
        }
        return keptCount;
    }

    // Hot kernel: neither throws nor allocates.
    // Adds one to counts[c - first] for every candidate that keep() would keep, c the index of
    // its cell in the mask's grid; every kept cell's index lies in [first, first + the
    // counters' size). The arrays are readable up to `count` rounded up to a multiple of four.
    void count(const float* xs, const float* ys, const float* zs, std::int32_t count, std::uint32_t* counts,
               std::size_t first) const {
#ifdef ZANDREL_SCAN_SSE2
        if (four_) {
            alignas(16) std::int32_t cell[4];
            for (std::int32_t n = 0; n < count; n += 4) {
                int bits = keepFour(xs + n, ys + n, zs + n, cell);
                if (count - n < 4) bits &= (1 << (count - n)) - 1;  // lanes past the row's end
                for (int lane = 0; lane < 4; ++lane)
                    if ((bits >> lane) & 1) ++counts[static_cast<std::size_t>(cell[lane]) - first];
            }
            return;
        }
#endif
        for (std::int32_t n = 0; n < count; ++n) {
            const std::int32_t cell = keptCell(xs[n], ys[n], zs[n]);
            if (cell >= 0) ++counts[static_cast<std::size_t>(cell) - first];
        }
    }

private:
    float position(std::size_t r, float fromI) const {
        return (((fromI + fromJ_[r]) + fromK_[r]) + translation_[r]) + centre_[r];
    }

    // The candidate's position lies in the grid and samples a mask value above 0.5.
    bool keepOne(float xi, float yi, float zi) const {
        const float x = position(0, xi);
        const float y = position(1, yi);
        const float z = position(2, zi);
        const bool inside = x >= -0.5f && x < cellEnd_[0] && y >= -0.5f && y < cellEnd_[1] && z >= -0.5f &&
                            z < cellEnd_[2];
        return inside && values_[(cellInRange(z) * dimY_ + cellInRange(y)) * dimX_ + cellInRange(x)] > 0.5f;
    }

    // keepOne's decision, as the kept candidate's cell index, or -1.
    std::int32_t keptCell(float xi, float yi, float zi) const {
        const float x = position(0, xi);
        const float y = position(1, yi);
        const float z = position(2, zi);
        const bool inside = x >= -0.5f && x < cellEnd_[0] && y >= -0.5f && y < cellEnd_[1] && z >= -0.5f &&
                            z < cellEnd_[2];
        if (!inside) return -1;
        const std::int32_t cell = (cellInRange(z) * dimY_ + cellInRange(y)) * dimX_ + cellInRange(x);
        return values_[cell] > 0.5f ? cell : -1;
    }

#ifdef ZANDREL_SCAN_SSE2
    __m128 positionOfFour(std::size_t r, const float* fromI) const {
        const __m128 v = _mm_add_ps(_mm_add_ps(_mm_loadu_ps(fromI), fromJFour_[r]), fromKFour_[r]);
        return _mm_add_ps(_mm_add_ps(v, translationFour_[r]), centreFour_[r]);
    }
    __m128 inRange(std::size_t r, __m128 v) const {
        return _mm_and_ps(_mm_cmpge_ps(v, _mm_set1_ps(-0.5f)), _mm_cmplt_ps(v, cellEndFour_[r]));
    }
    // cellInRange of four floats in the cell range (or 0), as floats: t + 1 where v - t >= 0.5.
    static __m128 cellsInRange(__m128 v) {
        const __m128 t = _mm_cvtepi32_ps(_mm_cvttps_epi32(v));
        const __m128 upper = _mm_cmpge_ps(_mm_sub_ps(v, t), _mm_set1_ps(0.5f));
        return _mm_add_ps(t, _mm_and_ps(upper, _mm_set1_ps(1.0f)));
    }
    // keepOne of four candidates: bit n set when candidate n is kept.
    int keepFour(const float* xs, const float* ys, const float* zs) const {
        alignas(16) std::int32_t cell[4];
        return keepFour(xs, ys, zs, cell);
    }
    // The same, and the four lanes' cell indices (0 for lanes outside the grid) in `cell`,
    // 16-byte aligned.
    int keepFour(const float* xs, const float* ys, const float* zs, std::int32_t* cell) const {
        const __m128 x = positionOfFour(0, xs);
        const __m128 y = positionOfFour(1, ys);
        const __m128 z = positionOfFour(2, zs);
        const __m128 inside = _mm_and_ps(_mm_and_ps(inRange(0, x), inRange(1, y)), inRange(2, z));
        // Lanes outside the grid become 0.0f: no conversion out of range, and cell 0, which
        // they look up before they are dropped. Every product and sum of the cell index is
        // an integer below kFourLaneCells = 2^24, so exact in float.
        const __m128 nx = cellsInRange(_mm_and_ps(inside, x));
        const __m128 ny = cellsInRange(_mm_and_ps(inside, y));
        const __m128 nz = cellsInRange(_mm_and_ps(inside, z));
        const __m128 index = _mm_add_ps(_mm_mul_ps(_mm_add_ps(_mm_mul_ps(nz, dimYFour_), ny), dimXFour_), nx);
        _mm_store_si128(reinterpret_cast<__m128i*>(cell), _mm_cvttps_epi32(index));
        const __m128 value = _mm_setr_ps(values_[cell[0]], values_[cell[1]], values_[cell[2]], values_[cell[3]]);
        return _mm_movemask_ps(_mm_and_ps(inside, _mm_cmpgt_ps(value, _mm_set1_ps(0.5f))));
    }
#endif

    std::array<float, 3> fromJ_{};
    std::array<float, 3> fromK_{};
    std::array<float, 3> translation_;
    std::array<float, 3> centre_;
    std::array<float, 3> cellEnd_{};
    const float* values_;
    std::int32_t dimX_;
    std::int32_t dimY_;
#ifdef ZANDREL_SCAN_SSE2
    bool four_ = true;
    __m128 fromJFour_[3];
    __m128 fromKFour_[3];
    __m128 translationFour_[3];
    __m128 centreFour_[3];
    __m128 cellEndFour_[3];
    __m128 dimXFour_;
    __m128 dimYFour_;
#endif
};

}  // namespace zandrel
