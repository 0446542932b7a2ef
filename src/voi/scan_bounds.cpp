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
// of the inverse and of the divisions, which is below 1e-12 of the magnitudes involved for
// the condition numbers we accept. The float error bound is rigorous by itself; the fixed
// slacks are far larger than anything left to absorb (realistic float errors are below
// 1e-5 cells), and small enough not to scan much more than the preimage. A singular or badly
// conditioned A keeps every index on every axis (the slabs still bound the rows); a slab
// whose x coefficient is negligible bounds nothing; a non-finite chain bounds nothing.

#include <algorithm>
#include <cmath>

#include "voi/voi_scan.h"

namespace zandrel {

namespace {

using Matrix3 = std::array<std::array<double, 3>, 3>;

constexpr double kFloatErrorFactor = 1.0 / 1048576.0;  // 2^-20
constexpr double kCellSlack = 1.0 / 32.0;
constexpr double kTargetSlack = 1.0 / 8.0;
constexpr double kRelativeSlack = 1e-6;
constexpr double kMaxCondition = 1e8;
constexpr double kNegligibleCoefficient = 1e-6;  // relative to the row's norm

double infinityNorm(const Matrix3& m) {
    double norm = 0.0;
    for (const auto& row : m) norm = std::max(norm, std::abs(row[0]) + std::abs(row[1]) + std::abs(row[2]));
    return norm;
}

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

void ScanBounds::takeEveryIndex() {
    for (auto& indices : indices_) {
        indices.resize(kTargetSize);
        for (int n = 0; n < kTargetSize; ++n) indices[static_cast<std::size_t>(n)] = static_cast<std::uint8_t>(n);
    }
}

ScanBounds::ScanBounds(const ScanSetup& setup, const Centred& centred, const CellBox& box) {
    Matrix3 a;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) a[r][c] = setup.chain.at(r, c);

    // Largest magnitude of each centred coordinate; non-finite values never give a kept point.
    std::array<double, 3> largest{};
    for (int axis = 0; axis < 3; ++axis)
        for (const float u : centred[axis])
            if (std::isfinite(u)) largest[axis] = std::max(largest[axis], std::abs(static_cast<double>(u)));

    const std::array<double, 3> centre{setup.cx, setup.cy, setup.cz};
    for (int r = 0; r < 3; ++r) {
        const double t = setup.chain.at(r, 3) * 1.0f;
        const double magnitude = std::abs(a[r][0]) * largest[0] + std::abs(a[r][1]) * largest[1] +
                                 std::abs(a[r][2]) * largest[2] + std::abs(t) + std::abs(centre[r]);
        const double widening = magnitude * kFloatErrorFactor + kCellSlack + 0.5;
        Slab& slab = slabs_[static_cast<std::size_t>(r)];
        slab.lowest = static_cast<double>(box.min[r]) - widening - centre[r] - t;
        slab.highest = static_cast<double>(box.max[r]) + widening - centre[r] - t;
        if (!std::isfinite(slab.lowest) || !std::isfinite(slab.highest)) {
            slabs_ = {};
            takeEveryIndex();
            return;
        }
        for (int c = 0; c < 3; ++c) slab.a[c] = a[r][c];
        const double norm = std::abs(a[r][0]) + std::abs(a[r][1]) + std::abs(a[r][2]);
        slab.constrains = std::abs(a[r][0]) > kNegligibleCoefficient * norm;
    }

    Matrix3 inverse;
    if (!invert(a, inverse)) {
        takeEveryIndex();
        return;
    }
    std::array<double, 3> uLow{HUGE_VAL, HUGE_VAL, HUGE_VAL};
    std::array<double, 3> uHigh{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (int corner = 0; corner < 8; ++corner) {
        const double q[3] = {(corner & 1) ? slabs_[0].highest : slabs_[0].lowest,
                             (corner & 2) ? slabs_[1].highest : slabs_[1].lowest,
                             (corner & 4) ? slabs_[2].highest : slabs_[2].lowest};
        for (int axis = 0; axis < 3; ++axis) {
            const double u = inverse[axis][0] * q[0] + inverse[axis][1] * q[1] + inverse[axis][2] * q[2];
            uLow[axis] = std::min(uLow[axis], u);
            uHigh[axis] = std::max(uHigh[axis], u);
        }
    }
    std::array<double, 3> lowest{};
    std::array<double, 3> highest{};
    for (int axis = 0; axis < 3; ++axis) {
        const double slack = kTargetSlack + kRelativeSlack * std::max(std::abs(uLow[axis]), std::abs(uHigh[axis]));
        lowest[axis] = uLow[axis] - slack;
        highest[axis] = uHigh[axis] + slack;
        if (!std::isfinite(lowest[axis]) || !std::isfinite(highest[axis])) {
            takeEveryIndex();
            return;
        }
    }
    for (int axis = 0; axis < 3; ++axis) {
        std::vector<std::uint8_t>& indices = indices_[static_cast<std::size_t>(axis)];
        indices.reserve(kTargetSize);
        for (int n = 0; n < kTargetSize; ++n) {
            const double u = centred[axis][static_cast<std::size_t>(n)];
            if (u >= lowest[axis] && u <= highest[axis]) indices.push_back(static_cast<std::uint8_t>(n));
        }
    }
    bounded_ = true;
}

bool ScanBounds::rowRange(float uy, float uz, double& low, double& high) const {
    low = -HUGE_VAL;
    high = HUGE_VAL;
    if (!std::isfinite(uy) || !std::isfinite(uz)) return false;
    for (const Slab& slab : slabs_) {
        if (!slab.constrains) continue;
        const double rest = slab.a[1] * static_cast<double>(uy) + slab.a[2] * static_cast<double>(uz);
        double from = (slab.lowest - rest) / slab.a[0];
        double to = (slab.highest - rest) / slab.a[0];
        if (from > to) std::swap(from, to);
        const double slack =
            kTargetSlack + kRelativeSlack * (std::abs(slab.lowest) + std::abs(slab.highest) + std::abs(rest)) /
                               std::abs(slab.a[0]);
        low = std::max(low, from - slack);
        high = std::min(high, to + slack);
    }
    return low <= high;
}

}  // namespace zandrel
