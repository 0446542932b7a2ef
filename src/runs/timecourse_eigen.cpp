#include "runs/timecourse_eigen.h"

#include <cmath>
#include <limits>

namespace zandrel {

namespace {

constexpr int kMaxSweeps = 100;

// Rotates columns p and q (and, with rows = true, rows p and q) of the m x m matrix `x`
// by the plane rotation (c, s).
void rotateColumns(std::vector<double>& x, std::size_t m, std::size_t p, std::size_t q, double c, double s) {
    for (std::size_t k = 0; k < m; ++k) {
        const double xp = x[k * m + p], xq = x[k * m + q];
        x[k * m + p] = c * xp - s * xq;
        x[k * m + q] = s * xp + c * xq;
    }
}

void rotateRows(std::vector<double>& x, std::size_t m, std::size_t p, std::size_t q, double c, double s) {
    for (std::size_t k = 0; k < m; ++k) {
        const double xp = x[p * m + k], xq = x[q * m + k];
        x[p * m + k] = c * xp - s * xq;
        x[q * m + k] = s * xp + c * xq;
    }
}

// True when the off-diagonal part is negligible against the whole matrix.
bool converged(const std::vector<double>& a, std::size_t m) {
    double off = 0.0, all = 0.0;
    for (std::size_t p = 0; p < m; ++p) {
        for (std::size_t q = 0; q < m; ++q) {
            const double v = a[p * m + q] * a[p * m + q];
            all += v;
            if (p != q) off += v;
        }
    }
    const double eps = std::numeric_limits<double>::epsilon();
    return off == 0.0 || off <= eps * eps * all;
}

}  // namespace

double largestEigenpair(std::vector<double>& a, std::size_t m, std::vector<double>& vector) {
    vector.assign(m, 0.0);
    if (m == 0) return 0.0;
    std::vector<double> v(m * m, 0.0);  // eigenvectors in its columns
    for (std::size_t i = 0; i < m; ++i) v[i * m + i] = 1.0;

    for (int sweep = 0; sweep < kMaxSweeps && !converged(a, m); ++sweep) {
        for (std::size_t p = 0; p + 1 < m; ++p) {
            for (std::size_t q = p + 1; q < m; ++q) {
                const double apq = a[p * m + q];
                if (apq == 0.0) continue;
                // Past the first sweeps an element below the last bit of both diagonal
                // elements can no longer change them: drop it, so that rounding cannot
                // keep the sweeps going.
                const double g = 100.0 * std::abs(apq);
                if (sweep > 3 && std::abs(a[p * m + p]) + g == std::abs(a[p * m + p]) &&
                    std::abs(a[q * m + q]) + g == std::abs(a[q * m + q])) {
                    a[p * m + q] = 0.0;
                    a[q * m + p] = 0.0;
                    continue;
                }
                // The angle that zeroes a[p][q]: cot(2 phi) = theta; t = tan(phi), the
                // smaller root, so that the rotation is at most 45 degrees.
                const double theta = (a[q * m + q] - a[p * m + p]) / (2.0 * apq);
                double t;
                if (std::abs(theta) > 1e150) {
                    t = 0.5 / theta;  // theta^2 would overflow; t ~ 1 / (2 theta)
                } else {
                    t = (theta >= 0.0 ? 1.0 : -1.0) / (std::abs(theta) + std::sqrt(theta * theta + 1.0));
                }
                const double c = 1.0 / std::sqrt(t * t + 1.0);
                const double s = t * c;
                rotateColumns(a, m, p, q, c, s);
                rotateRows(a, m, p, q, c, s);
                a[p * m + q] = 0.0;
                a[q * m + p] = 0.0;
                rotateColumns(v, m, p, q, c, s);
            }
        }
    }

    std::size_t best = 0;
    for (std::size_t i = 1; i < m; ++i) {
        if (a[i * m + i] > a[best * m + best]) best = i;
    }
    for (std::size_t k = 0; k < m; ++k) vector[k] = v[k * m + best];
    return a[best * m + best];
}

std::vector<double> firstEigenvariate(const std::vector<float>& samples, std::size_t cells, std::size_t volumes) {
    if (cells == 0) return {};
    std::vector<double> result(volumes, 0.0);
    if (volumes == 0) return result;

    // Y column by column (cell-major), each column's mean removed. A column of equal
    // samples is set to exact zeros: its computed mean need not equal the samples.
    std::vector<double> y(cells * volumes);
    for (std::size_t c = 0; c < cells; ++c) {
        const float* column = samples.data() + c * volumes;
        double sum = 0.0;
        bool constant = true;
        for (std::size_t t = 0; t < volumes; ++t) {
            if (!std::isfinite(column[t])) {
                result.assign(volumes, std::numeric_limits<double>::quiet_NaN());
                return result;
            }
            sum += column[t];
            constant = constant && column[t] == column[0];
        }
        const double mean = sum / static_cast<double>(volumes);
        for (std::size_t t = 0; t < volumes; ++t) y[c * volumes + t] = constant ? 0.0 : column[t] - mean;
    }

    // The Gram matrix of the smaller side: Y^T Y (cells x cells) gives V[:,0] directly,
    // Y Y^T (volumes x volumes) gives U[:,0]; both have s1^2 as their largest eigenvalue.
    const bool byCells = cells <= volumes;
    const std::size_t m = byCells ? cells : volumes;
    std::vector<double> gram(m * m);
    for (std::size_t i = 0; i < m; ++i) {
        for (std::size_t j = i; j < m; ++j) {
            double sum = 0.0;
            if (byCells) {
                for (std::size_t t = 0; t < volumes; ++t) sum += y[i * volumes + t] * y[j * volumes + t];
            } else {
                for (std::size_t c = 0; c < cells; ++c) sum += y[c * volumes + i] * y[c * volumes + j];
            }
            gram[i * m + j] = sum;
            gram[j * m + i] = sum;
        }
    }
    std::vector<double> vector;
    const double lambda = largestEigenpair(gram, m, vector);
    if (!(lambda > 0.0)) return result;  // Y = 0: a constant region

    const double rootCells = std::sqrt(static_cast<double>(cells));
    if (byCells) {
        double direction = 0.0;
        for (const double v : vector) direction += v;
        const double sign = direction < 0.0 ? -1.0 : 1.0;
        // Y v1 = s1 u1, so U[:,0] s1 / sqrt(cells) = Y v1 / sqrt(cells).
        for (std::size_t t = 0; t < volumes; ++t) {
            double sum = 0.0;
            for (std::size_t c = 0; c < cells; ++c) sum += y[c * volumes + t] * vector[c];
            result[t] = sign * sum / rootCells;
        }
    } else {
        // V[:,0] = Y^T u1 / s1: the sign of its sum is the sign of the sum of Y^T u1.
        double direction = 0.0;
        for (std::size_t c = 0; c < cells; ++c) {
            for (std::size_t t = 0; t < volumes; ++t) direction += y[c * volumes + t] * vector[t];
        }
        const double sign = direction < 0.0 ? -1.0 : 1.0;
        const double s1 = std::sqrt(lambda);
        for (std::size_t t = 0; t < volumes; ++t) result[t] = sign * vector[t] * s1 / rootCells;
    }
    return result;
}

}  // namespace zandrel
