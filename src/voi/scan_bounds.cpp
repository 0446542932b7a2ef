// Which target indices can reach a box of functional cells.
//
// A point is kept only when its float position q' = (((m0*x + m1*y) + m2*z) + m3) + c
// samples a marked cell, so q' lies in [min - 0.5, max + 0.5) on every axis. The float
// evaluation differs from the exact value A*u + t + c (u the centred float coordinates)
// by at most 5 roundings of the sum of the terms' magnitudes; we allow 2^-20 times that sum
// (16 roundings) plus a quarter cell. The exact value's preimage under the affine map is a
// parallelepiped whose bounding box, computed in double from the inverse of A and widened
// by one target voxel (plus a relative share for the double rounding of the inverse),
// contains every point that can be kept. For realistic chains the float error is below
// 1e-4 cells, so both margins are far larger than any rounding they have to absorb.
// A singular, badly conditioned or non-finite A falls back to every index.

#include <algorithm>
#include <cmath>

#include "voi/voi_scan.h"

namespace zandrel {

namespace {

using Matrix3 = std::array<std::array<double, 3>, 3>;

constexpr double kFloatErrorFactor = 1.0 / 1048576.0;  // 2^-20
constexpr double kCellSlack = 0.25;
constexpr double kTargetSlack = 1.0;
constexpr double kRelativeSlack = 1e-6;
constexpr double kMaxCondition = 1e8;

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

CandidateIndices ProductionScan::candidates(const CellBox& box) const {
    CandidateIndices result;
    const auto everyIndex = [&result]() {
        result.complete = true;
        for (auto& indices : result.axis) {
            indices.resize(kTargetSize);
            for (int n = 0; n < kTargetSize; ++n) indices[n] = static_cast<std::uint8_t>(n);
        }
        return result;
    };

    Matrix3 a;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) a[r][c] = setup_.chain.at(r, c);
    Matrix3 inverse;
    if (!invert(a, inverse)) return everyIndex();

    // Largest magnitude of each centred coordinate; non-finite values never give a kept point.
    std::array<double, 3> largest{};
    for (int axis = 0; axis < 3; ++axis)
        for (const float u : centred_[axis])
            if (std::isfinite(u)) largest[axis] = std::max(largest[axis], std::abs(static_cast<double>(u)));

    const std::array<double, 3> centre{setup_.cx, setup_.cy, setup_.cz};
    std::array<double, 3> low{};
    std::array<double, 3> high{};
    for (int r = 0; r < 3; ++r) {
        const double t = translation_[r];
        const double magnitude = std::abs(a[r][0]) * largest[0] + std::abs(a[r][1]) * largest[1] +
                                 std::abs(a[r][2]) * largest[2] + std::abs(t) + std::abs(centre[r]);
        const double widening = magnitude * kFloatErrorFactor + kCellSlack + 0.5;
        // Bounds of A*u in exact arithmetic.
        low[r] = static_cast<double>(box.min[r]) - widening - centre[r] - t;
        high[r] = static_cast<double>(box.max[r]) + widening - centre[r] - t;
        if (!std::isfinite(low[r]) || !std::isfinite(high[r])) return everyIndex();
    }

    std::array<double, 3> uLow{HUGE_VAL, HUGE_VAL, HUGE_VAL};
    std::array<double, 3> uHigh{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (int corner = 0; corner < 8; ++corner) {
        const double q[3] = {(corner & 1) ? high[0] : low[0], (corner & 2) ? high[1] : low[1],
                             (corner & 4) ? high[2] : low[2]};
        for (int axis = 0; axis < 3; ++axis) {
            const double u = inverse[axis][0] * q[0] + inverse[axis][1] * q[1] + inverse[axis][2] * q[2];
            uLow[axis] = std::min(uLow[axis], u);
            uHigh[axis] = std::max(uHigh[axis], u);
        }
    }

    for (int axis = 0; axis < 3; ++axis) {
        const double slack = kTargetSlack + kRelativeSlack * std::max(std::abs(uLow[axis]), std::abs(uHigh[axis]));
        const double lowest = uLow[axis] - slack;
        const double highest = uHigh[axis] + slack;
        if (!std::isfinite(lowest) || !std::isfinite(highest)) return everyIndex();
        std::vector<std::uint8_t>& indices = result.axis[axis];
        indices.reserve(kTargetSize);
        for (int n = 0; n < kTargetSize; ++n) {
            const double u = centred_[axis][n];
            if (u >= lowest && u <= highest) indices.push_back(static_cast<std::uint8_t>(n));
        }
    }
    return result;
}

}  // namespace zandrel
