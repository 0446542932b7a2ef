#include "runs/timecourse_eigen.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zandrel {

namespace {

constexpr int kMaxIterations = 60;  // QL iterations per eigenvalue; 2 or 3 are usual

// Householder reduction of the symmetric matrix held in `v` (m x m, row-major) to
// tridiagonal form: on return d holds the diagonal, e the subdiagonal (e[i] below d[i],
// e[0] = 0) and v the orthogonal matrix that carries the tridiagonal form back.
void tridiagonalize(std::vector<double>& v, std::size_t m, std::vector<double>& d, std::vector<double>& e) {
    auto at = [&](std::size_t r, std::size_t c) -> double& { return v[r * m + c]; };
    for (std::size_t j = 0; j < m; ++j) d[j] = at(m - 1, j);
    for (std::size_t i = m - 1; i > 0; --i) {
        // Scale the row to avoid under- and overflow in the reflector.
        double scale = 0.0, h = 0.0;
        for (std::size_t k = 0; k < i; ++k) scale += std::abs(d[k]);
        if (scale == 0.0) {
            e[i] = d[i - 1];
            for (std::size_t j = 0; j < i; ++j) {
                d[j] = at(i - 1, j);
                at(i, j) = 0.0;
                at(j, i) = 0.0;
            }
        } else {
            for (std::size_t k = 0; k < i; ++k) {
                d[k] /= scale;
                h += d[k] * d[k];
            }
            double f = d[i - 1];
            double g = std::sqrt(h);
            if (f > 0) g = -g;
            e[i] = scale * g;
            h -= f * g;
            d[i - 1] = f - g;
            for (std::size_t j = 0; j < i; ++j) e[j] = 0.0;
            // Apply the reflector to the remaining submatrix: p = A u / h, then
            // A - (u q^T + q u^T) with q = p - (u^T p / 2h) u.
            for (std::size_t j = 0; j < i; ++j) {
                f = d[j];
                at(j, i) = f;
                g = e[j] + at(j, j) * f;
                for (std::size_t k = j + 1; k < i; ++k) {
                    g += at(k, j) * d[k];
                    e[k] += at(k, j) * f;
                }
                e[j] = g;
            }
            f = 0.0;
            for (std::size_t j = 0; j < i; ++j) {
                e[j] /= h;
                f += e[j] * d[j];
            }
            const double hh = f / (h + h);
            for (std::size_t j = 0; j < i; ++j) e[j] -= hh * d[j];
            for (std::size_t j = 0; j < i; ++j) {
                f = d[j];
                g = e[j];
                for (std::size_t k = j; k < i; ++k) at(k, j) -= (f * e[k] + g * d[k]);
                d[j] = at(i - 1, j);
                at(i, j) = 0.0;
            }
        }
        d[i] = h;
    }
    // Accumulate the reflectors.
    for (std::size_t i = 0; i + 1 < m; ++i) {
        at(m - 1, i) = at(i, i);
        at(i, i) = 1.0;
        const double h = d[i + 1];
        if (h != 0.0) {
            for (std::size_t k = 0; k <= i; ++k) d[k] = at(k, i + 1) / h;
            for (std::size_t j = 0; j <= i; ++j) {
                double g = 0.0;
                for (std::size_t k = 0; k <= i; ++k) g += at(k, i + 1) * at(k, j);
                for (std::size_t k = 0; k <= i; ++k) at(k, j) -= g * d[k];
            }
        }
        for (std::size_t k = 0; k <= i; ++k) at(k, i + 1) = 0.0;
    }
    for (std::size_t j = 0; j < m; ++j) {
        d[j] = at(m - 1, j);
        at(m - 1, j) = 0.0;
    }
    at(m - 1, m - 1) = 1.0;
    e[0] = 0.0;
}

// Implicit QL with Wilkinson-like shifts on the tridiagonal (d, e), rotating the columns of
// v along: on return d holds the eigenvalues and the columns of v their eigenvectors.
void diagonalize(std::vector<double>& v, std::size_t m, std::vector<double>& d, std::vector<double>& e) {
    auto at = [&](std::size_t r, std::size_t c) -> double& { return v[r * m + c]; };
    for (std::size_t i = 1; i < m; ++i) e[i - 1] = e[i];
    e[m - 1] = 0.0;
    const double eps = std::numeric_limits<double>::epsilon();
    double shiftSum = 0.0, largest = 0.0;
    for (std::size_t l = 0; l < m; ++l) {
        // Find a negligible subdiagonal element: the block l .. n splits off there.
        largest = std::max(largest, std::abs(d[l]) + std::abs(e[l]));
        std::size_t n = l;
        while (n < m - 1 && std::abs(e[n]) > eps * largest) ++n;
        if (n > l) {
            for (int iteration = 0; iteration < kMaxIterations && std::abs(e[l]) > eps * largest; ++iteration) {
                double g = d[l];
                double p = (d[l + 1] - g) / (2.0 * e[l]);
                double r = std::hypot(p, 1.0);
                if (p < 0) r = -r;
                d[l] = e[l] / (p + r);
                d[l + 1] = e[l] * (p + r);
                const double dl1 = d[l + 1];
                double h = g - d[l];
                for (std::size_t i = l + 2; i < m; ++i) d[i] -= h;
                shiftSum += h;
                p = d[n];
                double c = 1.0, c2 = 1.0, c3 = 1.0, s = 0.0, s2 = 0.0;
                const double el1 = e[l + 1];
                for (std::size_t i = n; i-- > l;) {
                    c3 = c2;
                    c2 = c;
                    s2 = s;
                    g = c * e[i];
                    h = c * p;
                    r = std::hypot(p, e[i]);
                    e[i + 1] = s * r;
                    s = e[i] / r;
                    c = p / r;
                    p = c * d[i] - s * g;
                    d[i + 1] = h + s * (c * g + s * d[i]);
                    for (std::size_t k = 0; k < m; ++k) {
                        h = at(k, i + 1);
                        at(k, i + 1) = s * at(k, i) + c * h;
                        at(k, i) = c * at(k, i) - s * h;
                    }
                }
                p = -s * s2 * c3 * el1 * e[l] / dl1;
                e[l] = s * p;
                d[l] = c * p;
            }
        }
        d[l] += shiftSum;
        e[l] = 0.0;
    }
}

}  // namespace

double largestEigenpair(std::vector<double>& a, std::size_t m, std::vector<double>& vector) {
    vector.assign(m, 0.0);
    if (m == 0) return 0.0;
    std::vector<double> d(m), e(m);
    tridiagonalize(a, m, d, e);
    diagonalize(a, m, d, e);
    std::size_t best = 0;
    for (std::size_t i = 1; i < m; ++i) {
        if (d[i] > d[best]) best = i;
    }
    for (std::size_t k = 0; k < m; ++k) vector[k] = a[k * m + best];
    return d[best];
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
    std::vector<double> gram(m * m, 0.0);
    if (byCells) {
        for (std::size_t i = 0; i < m; ++i) {
            for (std::size_t j = i; j < m; ++j) {
                double sum = 0.0;
                for (std::size_t t = 0; t < volumes; ++t) sum += y[i * volumes + t] * y[j * volumes + t];
                gram[i * m + j] = sum;
            }
        }
    } else {
        // Sums of the cells' outer products, cell by cell: every element still sums over
        // the cells in ascending order, and each cell's course is read contiguously.
        for (std::size_t c = 0; c < cells; ++c) {
            const double* course = y.data() + c * volumes;
            for (std::size_t i = 0; i < m; ++i) {
                for (std::size_t j = i; j < m; ++j) gram[i * m + j] += course[i] * course[j];
            }
        }
    }
    for (std::size_t i = 0; i < m; ++i) {
        for (std::size_t j = 0; j < i; ++j) gram[i * m + j] = gram[j * m + i];
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
