// Which anatomical grid points can reach the marked cells of a mask.
//
// A point is kept only when its float position q' = (((m0*x + m1*y) + m2*z) + m3) + c
// samples a marked cell n, so q' lies in [n - 0.5, n + 0.5) on every axis. The float
// evaluation differs from the exact value A*u + t + c (u the centred float coordinates,
// taken as exact numbers) by at most 7 roundings (3 products, 4 sums) of the sum of the
// terms' magnitudes; we allow 2^-20 times that sum (16 roundings) plus 1/32 cell. So the
// exact position of every kept point lies within `widening` of its cell's centre on every
// axis r, and a[0]*u_x + offset = that position, with offset = a[1]*u_y + a[2]*u_z + t + c.
//
// - Per axis, the index lists hold the bounding box of the preimage of the box of marked
//   cells, widened so (from its 8 corners through the inverse of A in double).
// - Per anatomical grid slice k, the exact z of a kept point lies between the extremes of its plane's
//   z over the index lists' ranges of u_x and u_y; that bounds the slices of the box it can
//   reach, and the bounding boxes of those slices' marked cells bound x and y.
// - Per anatomical grid row (j, k), each axis then bounds u_x to an interval, linear in u_y.
// Intervals of u are widened by 1/8 anatomical grid step plus a relative share (1e-6) for the double
// rounding of the inverse, of the quotients by A's x column and of the sums, which is below
// 1e-12 of the magnitudes involved for the condition numbers we accept. The float error bound
// is rigorous by itself; the fixed slacks are far larger than anything left to absorb
// (realistic float errors are below 1e-5 cells), and small enough not to scan much more than
// the preimage. A singular or badly conditioned A keeps every index on every axis (the rows
// are still bounded); an axis whose x coefficient is negligible bounds no row; a non-finite
// chain bounds nothing.

#include <algorithm>
#include <cmath>
#include <limits>

#include "voi/voi_scan.h"

namespace zandrel {

namespace {

constexpr double kFloatErrorFactor = 1.0 / 1048576.0;  // 2^-20
constexpr double kCellSlack = 1.0 / 32.0;
constexpr double kAnatomicalGridSlack = 1.0 / 8.0;
constexpr double kRelativeSlack = 1e-6;
constexpr double kMaxCondition = 1e8;
constexpr double kNegligibleCoefficient = 1e-6;  // relative to the row's norm

template <typename Matrix3>
double infinityNorm(const Matrix3& m) {
    double norm = 0.0;
    for (const auto& row : m) norm = std::max(norm, std::abs(row[0]) + std::abs(row[1]) + std::abs(row[2]));
    return norm;
}

// The inverse of m, when m is invertible and well enough conditioned for its corners to be
// mapped back reliably.
template <typename Matrix3>
bool invert(const Matrix3& m, Matrix3& inverse) {
    const double c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
    const double c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
    const double c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    const double det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
    if (!std::isfinite(det) || det == 0.0) return false;
    inverse[0][0] = c00 / det;
    inverse[1][0] = c01 / det;
    inverse[2][0] = c02 / det;
    inverse[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
    inverse[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
    inverse[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
    inverse[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
    inverse[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
    inverse[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
    const double condition = infinityNorm(m) * infinityNorm(inverse);
    return std::isfinite(condition) && condition <= kMaxCondition;
}

}  // namespace

float cellRangeEnd(std::int32_t size) {
    const double end = static_cast<double>(size) - 0.5;
    const float rounded = static_cast<float>(end);
    return static_cast<double>(rounded) >= end ? rounded : std::nextafter(rounded, std::numeric_limits<float>::infinity());
}

ScanBounds::ScanBounds(const ScanSetup& setup, const Centred& centred) : centred_(centred) {
    Matrix3 a;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) a[r][c] = setup.gridToFunctional.at(r, c);
    invertible_ = invert(a, inverse_);

    // Non-finite centred values never give a kept point.
    for (std::size_t axis = 0; axis < 3; ++axis)
        for (const float u : centred[axis])
            if (std::isfinite(u)) largest_[axis] = std::max(largest_[axis], std::abs(static_cast<double>(u)));
    for (const float u : centred[0]) {
        if (!std::isfinite(u)) continue;
        lowestFirst_ = std::min(lowestFirst_, static_cast<double>(u));
        highestFirst_ = std::max(highestFirst_, static_cast<double>(u));
    }

    const std::array<double, 3> centre{setup.cx, setup.cy, setup.cz};
    for (std::size_t r = 0; r < 3; ++r) {
        Slab& slab = slabs_[r];
        const double t = setup.gridToFunctional.at(static_cast<int>(r), 3) * 1.0f;
        const double magnitude = std::abs(a[r][0]) * largest_[0] + std::abs(a[r][1]) * largest_[1] +
                                 std::abs(a[r][2]) * largest_[2] + std::abs(t) + std::abs(centre[r]);
        slab.widening = magnitude * kFloatErrorFactor + kCellSlack + 0.5;
        slab.shift = t + centre[r];
        slab.largestOffset = std::abs(a[r][1]) * largest_[1] + std::abs(a[r][2]) * largest_[2] + std::abs(slab.shift);
        slab.offsetError = kRelativeSlack * (std::abs(a[r][0]) * largest_[0] + slab.largestOffset);
        for (std::size_t c = 0; c < 3; ++c) slab.a[c] = a[r][c];
        const double norm = std::abs(a[r][0]) + std::abs(a[r][1]) + std::abs(a[r][2]);
        slab.divides = std::abs(a[r][0]) > kNegligibleCoefficient * norm;  // false for NaN
        if (slab.divides) {
            slab.inverse = 1.0 / a[r][0];
            slab.perY = -a[r][1] * slab.inverse;
        }
    }
}

void ScanBounds::takeEveryIndex() {
    for (auto& indices : indices_) {
        indices.resize(kAnatomicalGridSize);
        for (int n = 0; n < kAnatomicalGridSize; ++n)
            indices[static_cast<std::size_t>(n)] = static_cast<std::uint8_t>(n);
    }
}

void ScanBounds::takeSliceBoxes(const VolumeGrid& mask) {
    sliceBoxes_.assign(static_cast<std::size_t>(box_.max[2] - box_.min[2] + 1), SliceBox{});
    for (std::int32_t z = box_.min[2]; z <= box_.max[2]; ++z) {
        SliceBox& slice = sliceBoxes_[static_cast<std::size_t>(z - box_.min[2])];
        for (std::int32_t y = box_.min[1]; y <= box_.max[1]; ++y) {
            const float* const values = mask.data() + mask.indexOf(0, y, z);
            for (std::int32_t x = box_.min[0]; x <= box_.max[0]; ++x) {
                if (!(values[x] > 0.5f)) continue;  // the reference keeps values above 0.5
                slice.first[0] = std::min(slice.first[0], x);
                slice.last[0] = std::max(slice.last[0], x);
                slice.first[1] = std::min(slice.first[1], y);
                slice.last[1] = std::max(slice.last[1], y);
            }
        }
    }
}

void ScanBounds::reset(const VolumeGrid& mask, const CellBox& box) {
    box_ = box;
    for (auto& indices : indices_) indices.clear();
    std::array<double, 3> lowest{};
    std::array<double, 3> highest{};
    bounded_ = true;
    for (std::size_t r = 0; r < 3; ++r) {
        Slab& slab = slabs_[r];
        lowest[r] = static_cast<double>(box.min[r]) - slab.widening - slab.shift;
        highest[r] = static_cast<double>(box.max[r]) + slab.widening - slab.shift;
        const double reach = std::max(std::abs(static_cast<double>(box.min[r])), std::abs(static_cast<double>(box.max[r])));
        slab.slack = kAnatomicalGridSlack +
                     kRelativeSlack * (reach + slab.widening + slab.largestOffset) * std::abs(slab.inverse);
        bounded_ = bounded_ && std::isfinite(lowest[r]) && std::isfinite(highest[r]) && std::isfinite(slab.slack);
    }
    if (!bounded_) {
        takeEveryIndex();
        return;
    }
    takeSliceBoxes(mask);

    if (!invertible_) {
        takeEveryIndex();
        takeIndexRanges();
        return;
    }
    std::array<double, 3> uLow{HUGE_VAL, HUGE_VAL, HUGE_VAL};
    std::array<double, 3> uHigh{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (int corner = 0; corner < 8; ++corner) {
        const double q[3] = {(corner & 1) ? highest[0] : lowest[0], (corner & 2) ? highest[1] : lowest[1],
                             (corner & 4) ? highest[2] : lowest[2]};
        for (std::size_t axis = 0; axis < 3; ++axis) {
            const double u = inverse_[axis][0] * q[0] + inverse_[axis][1] * q[1] + inverse_[axis][2] * q[2];
            uLow[axis] = std::min(uLow[axis], u);
            uHigh[axis] = std::max(uHigh[axis], u);
        }
    }
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const double slack =
            kAnatomicalGridSlack + kRelativeSlack * std::max(std::abs(uLow[axis]), std::abs(uHigh[axis]));
        const double low = uLow[axis] - slack;
        const double high = uHigh[axis] + slack;
        if (!std::isfinite(low) || !std::isfinite(high)) {
            takeEveryIndex();
            takeIndexRanges();
            return;
        }
        for (int n = 0; n < kAnatomicalGridSize; ++n) {
            const double u = centred_[axis][static_cast<std::size_t>(n)];
            if (u >= low && u <= high) indices_[axis].push_back(static_cast<std::uint8_t>(n));
        }
    }
    takeIndexRanges();
}

void ScanBounds::takeIndexRanges() {
    for (std::size_t axis = 0; axis < 2; ++axis) {
        indexLow_[axis] = 0.0;
        indexHigh_[axis] = 0.0;
        bool any = false;
        for (const std::uint8_t n : indices_[axis]) {
            const double u = centred_[axis][n];
            if (!std::isfinite(u)) continue;
            indexLow_[axis] = any ? std::min(indexLow_[axis], u) : u;
            indexHigh_[axis] = any ? std::max(indexHigh_[axis], u) : u;
            any = true;
        }
    }
}

namespace {

// The cells n from boxFirst to boxLast (boxFirst >= 0) with lower <= n <= upper; false when
// there are none, or a bound is NaN.
bool cellsBetween(double lower, double upper, std::int32_t boxFirst, std::int32_t boxLast, std::int32_t& first,
                  std::int32_t& last) {
    if (!(lower <= boxLast && upper >= boxFirst)) return false;
    // Between boxFirst >= 0 and boxLast, truncation is rounding down.
    if (lower <= boxFirst) {
        first = boxFirst;
    } else {
        first = static_cast<std::int32_t>(lower);
        first += static_cast<double>(first) < lower ? 1 : 0;
    }
    last = upper >= boxLast ? boxLast : static_cast<std::int32_t>(upper);
    return first <= last;
}

}  // namespace

// Every kept point of the slice has a first and second centred coordinate within the ranges
// of the index lists, so its exact z lies between the extremes of the plane's z over that
// rectangle (at its corners), which bounds the slices of the box it can reach; their boxes
// bound x and y.
bool ScanBounds::plane(float uz, Plane& plane) const {
    std::array<double, 3> partial{};
    std::array<double, 3> lowEdge{};
    std::array<double, 3> highEdge{};
    for (std::size_t r = 0; r < 3; ++r) {
        const Slab& slab = slabs_[r];
        partial[r] = slab.a[2] * static_cast<double>(uz) + slab.shift;
        lowEdge[r] = box_.min[r] - slab.widening;
        highEdge[r] = box_.max[r] + slab.widening;
    }
    if (bounded_) {
        const Slab& slab = slabs_[2];
        const double fromX[2] = {slab.a[0] * indexLow_[0], slab.a[0] * indexHigh_[0]};
        const double fromY[2] = {slab.a[1] * indexLow_[1], slab.a[1] * indexHigh_[1]};
        const double reach = slab.widening + slab.offsetError;
        const double lowest = std::min(fromX[0], fromX[1]) + std::min(fromY[0], fromY[1]) + partial[2] - reach;
        const double highest = std::max(fromX[0], fromX[1]) + std::max(fromY[0], fromY[1]) + partial[2] + reach;
        std::int32_t first = 0;
        std::int32_t last = 0;
        if (!cellsBetween(lowest, highest, box_.min[2], box_.max[2], first, last)) return false;  // also for NaN
        SliceBox reached;
        for (std::int32_t z = first; z <= last; ++z) {
            const SliceBox& slice = sliceBoxes_[static_cast<std::size_t>(z - box_.min[2])];
            for (std::size_t r = 0; r < 2; ++r) {
                reached.first[r] = std::min(reached.first[r], slice.first[r]);
                reached.last[r] = std::max(reached.last[r], slice.last[r]);
            }
        }
        if (reached.first[0] > reached.last[0]) return false;
        for (std::size_t r = 0; r < 2; ++r) {
            lowEdge[r] = reached.first[r] - slabs_[r].widening;
            highEdge[r] = reached.last[r] + slabs_[r].widening;
        }
        lowEdge[2] = first - slab.widening;
        highEdge[2] = last + slab.widening;
    }
    // Axis r bounds ux by (edge - partial - a[1] * uy) / a[0], for both edges.
    for (std::size_t r = 0; r < 3; ++r) {
        const Slab& slab = slabs_[r];
        if (!bounded_ || !slab.divides) {
            plane.lowAt[r] = -HUGE_VAL;
            plane.highAt[r] = HUGE_VAL;
            continue;
        }
        double from = (lowEdge[r] - partial[r]) * slab.inverse;
        double to = (highEdge[r] - partial[r]) * slab.inverse;
        if (slab.inverse < 0.0) std::swap(from, to);
        plane.lowAt[r] = from - slab.slack;
        plane.highAt[r] = to + slab.slack;
    }
    return true;
}

}  // namespace zandrel
