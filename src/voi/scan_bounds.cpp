// Which target points can reach a box of functional cells.
//
// A point is kept only when its float position q' = (((m0*x + m1*y) + m2*z) + m3) + c
// samples a marked cell, so q' lies in [min - 0.5, max + 0.5) on every axis. The float
// evaluation differs from the exact value A*u + t + c (u the centred float coordinates,
// taken as exact numbers) by at most 5 roundings of the sum of the terms' magnitudes; we
// allow 2^-20 times that sum (16 roundings) plus 1/32 cell. So the exact value of every
// kept point satisfies, per functional axis r, lowest_r <= A_r * u <= highest_r: three slabs.
//
// - Per axis, the index lists hold the bounding box of the slabs' intersection (the
//   preimage parallelepiped, from its 8 corners through the inverse of A in double).
// - Per target row (j, k), each slab bounds u_x to an interval.
// Both are widened by 1/8 target voxel plus a relative share (1e-6) for the double rounding
// of the inverse, the quotients by A's x column and the row sums, which is below 1e-12 of
// the magnitudes involved for the condition numbers we accept. The float error bound is
// rigorous by itself; the fixed slacks are far larger than anything left to absorb
// (realistic float errors are below 1e-5 cells), and small enough not to scan much more
// than the preimage. A singular or badly conditioned A keeps every index on every axis (the
// slabs still bound the rows); a slab whose x coefficient is negligible bounds nothing; a
// non-finite chain bounds nothing.

#include <algorithm>
#include <cmath>
#include <limits>

#include "voi/voi_scan.h"

namespace zandrel {

namespace {

constexpr double kFloatErrorFactor = 1.0 / 1048576.0;  // 2^-20
constexpr double kCellSlack = 1.0 / 32.0;
constexpr double kTargetSlack = 1.0 / 8.0;
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
        for (int c = 0; c < 3; ++c) a[r][c] = setup.chain.at(r, c);
    invertible_ = invert(a, inverse_);

    // Non-finite centred values never give a kept point.
    for (int axis = 0; axis < 3; ++axis)
        for (const float u : centred[axis])
            if (std::isfinite(u)) largest_[axis] = std::max(largest_[axis], std::abs(static_cast<double>(u)));

    const std::array<double, 3> centre{setup.cx, setup.cy, setup.cz};
    for (std::size_t r = 0; r < 3; ++r) {
        Slab& slab = slabs_[r];
        const double t = setup.chain.at(static_cast<int>(r), 3) * 1.0f;
        const double magnitude = std::abs(a[r][0]) * largest_[0] + std::abs(a[r][1]) * largest_[1] +
                                 std::abs(a[r][2]) * largest_[2] + std::abs(t) + std::abs(centre[r]);
        slab.widening = magnitude * kFloatErrorFactor + kCellSlack + 0.5;
        slab.centre = centre[r] + t;
        for (int c = 0; c < 3; ++c) slab.a[c] = a[r][c];
        const double norm = std::abs(a[r][0]) + std::abs(a[r][1]) + std::abs(a[r][2]);
        slab.constrains = std::abs(a[r][0]) > kNegligibleCoefficient * norm;  // false for NaN
        if (slab.constrains) {
            slab.perY = a[r][1] / a[r][0];
            slab.perZ = a[r][2] / a[r][0];
        }
    }
}

void ScanBounds::takeEveryIndex() {
    for (auto& indices : indices_) {
        indices.resize(kTargetSize);
        for (int n = 0; n < kTargetSize; ++n) indices[static_cast<std::size_t>(n)] = static_cast<std::uint8_t>(n);
    }
}

void ScanBounds::reset(const CellBox& box) {
    for (auto& indices : indices_) indices.clear();
    bool finite = true;
    for (std::size_t r = 0; r < 3; ++r) {
        Slab& slab = slabs_[r];
        slab.lowest = static_cast<double>(box.min[r]) - slab.widening - slab.centre;
        slab.highest = static_cast<double>(box.max[r]) + slab.widening - slab.centre;
        finite = finite && std::isfinite(slab.lowest) && std::isfinite(slab.highest);
    }
    if (!finite) {
        for (Slab& slab : slabs_) slab.constrains = false;
        takeEveryIndex();
        return;
    }
    for (Slab& slab : slabs_) {
        if (!slab.constrains) continue;
        slab.from = slab.lowest / slab.a[0];
        slab.to = slab.highest / slab.a[0];
        if (slab.from > slab.to) std::swap(slab.from, slab.to);
        const double rest = std::abs(slab.perY) * largest_[1] + std::abs(slab.perZ) * largest_[2];
        const double slack = kTargetSlack + kRelativeSlack * (std::abs(slab.from) + std::abs(slab.to) + rest);
        slab.from -= slack;
        slab.to += slack;
    }

    if (!invertible_) {
        takeEveryIndex();
        return;
    }
    std::array<double, 3> uLow{HUGE_VAL, HUGE_VAL, HUGE_VAL};
    std::array<double, 3> uHigh{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (int corner = 0; corner < 8; ++corner) {
        const double q[3] = {(corner & 1) ? slabs_[0].highest : slabs_[0].lowest,
                             (corner & 2) ? slabs_[1].highest : slabs_[1].lowest,
                             (corner & 4) ? slabs_[2].highest : slabs_[2].lowest};
        for (std::size_t axis = 0; axis < 3; ++axis) {
            const double u = inverse_[axis][0] * q[0] + inverse_[axis][1] * q[1] + inverse_[axis][2] * q[2];
            uLow[axis] = std::min(uLow[axis], u);
            uHigh[axis] = std::max(uHigh[axis], u);
        }
    }
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const double slack = kTargetSlack + kRelativeSlack * std::max(std::abs(uLow[axis]), std::abs(uHigh[axis]));
        const double lowest = uLow[axis] - slack;
        const double highest = uHigh[axis] + slack;
        if (!std::isfinite(lowest) || !std::isfinite(highest)) {
            takeEveryIndex();
            return;
        }
        for (int n = 0; n < kTargetSize; ++n) {
            const double u = centred_[axis][static_cast<std::size_t>(n)];
            if (u >= lowest && u <= highest) indices_[axis].push_back(static_cast<std::uint8_t>(n));
        }
    }
}

}  // namespace zandrel
