// The first eigenvariate against an independent computation (power iteration on Y^T Y),
// its sign rule, and the degenerate regions: one cell, one volume, constant, rank one.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "runs/timecourse_eigen.h"
#include "runs/timecourse_extract.h"
#include "timecourse_fixture.h"

namespace zandrel {
namespace {

using test::cell;
using test::GeneratedRun;
using test::TempDir;

// Y (volumes x cells, column means removed) from cell-major samples.
std::vector<std::vector<double>> centred(const std::vector<float>& samples, std::size_t cells, std::size_t volumes) {
    std::vector<std::vector<double>> y(volumes, std::vector<double>(cells));
    for (std::size_t c = 0; c < cells; ++c) {
        double mean = 0.0;
        for (std::size_t t = 0; t < volumes; ++t) mean += samples[c * volumes + t];
        mean /= static_cast<double>(volumes);
        for (std::size_t t = 0; t < volumes; ++t) y[t][c] = samples[c * volumes + t] - mean;
    }
    return y;
}

// Power iteration on Y^T Y for V[:,0], signed by the sum of its entries; then Y v / sqrt(n).
std::vector<double> eigenvariateByPowerIteration(const std::vector<float>& samples, std::size_t cells,
                                                 std::size_t volumes) {
    const auto y = centred(samples, cells, volumes);
    std::vector<double> v(cells);
    for (std::size_t c = 0; c < cells; ++c) v[c] = 1.0 + 0.01 * static_cast<double>(c);
    for (int iteration = 0; iteration < 5000; ++iteration) {
        std::vector<double> yv(volumes, 0.0), next(cells, 0.0);
        for (std::size_t t = 0; t < volumes; ++t)
            for (std::size_t c = 0; c < cells; ++c) yv[t] += y[t][c] * v[c];
        for (std::size_t t = 0; t < volumes; ++t)
            for (std::size_t c = 0; c < cells; ++c) next[c] += y[t][c] * yv[t];
        double norm = 0.0;
        for (const double x : next) norm += x * x;
        norm = std::sqrt(norm);
        for (std::size_t c = 0; c < cells; ++c) v[c] = next[c] / norm;
    }
    double sum = 0.0;
    for (const double x : v) sum += x;
    std::vector<double> e(volumes, 0.0);
    for (std::size_t t = 0; t < volumes; ++t) {
        for (std::size_t c = 0; c < cells; ++c) e[t] += y[t][c] * v[c];
        e[t] *= (sum < 0 ? -1.0 : 1.0) / std::sqrt(static_cast<double>(cells));
    }
    return e;
}

// Cell-major samples: a shared wave with per-cell loadings, plus per-cell noise.
std::vector<float> region(std::size_t cells, std::size_t volumes, const std::vector<double>& loadings) {
    std::vector<float> samples(cells * volumes);
    for (std::size_t c = 0; c < cells; ++c)
        for (std::size_t t = 0; t < volumes; ++t)
            samples[c * volumes + t] = static_cast<float>(
                500.0 + 10.0 * static_cast<double>(c) + loadings[c % loadings.size()] * 30.0 * std::sin(0.37 * t) +
                0.2 * (test::voxelSignal(static_cast<int>(c), 0, 0, static_cast<int>(t)) - 1000.0));
    return samples;
}

void expectSeriesNear(const std::vector<double>& got, const std::vector<double>& expected, const std::string& label) {
    ASSERT_EQ(got.size(), expected.size()) << label;
    double scale = 0.0;
    for (const double x : expected) scale = std::max(scale, std::abs(x));
    for (std::size_t t = 0; t < got.size(); ++t)
        EXPECT_NEAR(got[t], expected[t], 1e-9 * std::max(scale, 1.0)) << label << ", volume " << t;
}

TEST(FirstEigenvariate, MatchesPowerIterationWithSignRule) {
    struct Case {
        const char* label;
        std::size_t cells, volumes;
        std::vector<double> loadings;
    };
    const Case cases[] = {
        {"fewer cells than volumes", 6, 40, {1.0, 0.8, 1.2, 0.5}},
        {"more cells than volumes", 30, 8, {1.0, 0.7, 1.3}},
        {"loadings mostly negative (sign flips)", 7, 25, {-1.0, -0.6, 0.3, -1.4}},
        {"negative loadings, more cells than volumes", 12, 5, {-1.0, -0.4, 0.2}},
        {"square", 9, 9, {0.9, -0.2, 1.1}},
    };
    for (const Case& c : cases) {
        const std::vector<float> samples = region(c.cells, c.volumes, c.loadings);
        expectSeriesNear(firstEigenvariate(samples, c.cells, c.volumes),
                         eigenvariateByPowerIteration(samples, c.cells, c.volumes), c.label);
    }
}

TEST(FirstEigenvariate, DegenerateRegions) {
    // One cell: V = [1], so the eigenvariate is the centred time course itself.
    const std::vector<float> one = {3.0f, 7.0f, 5.0f, -1.0f};
    expectSeriesNear(firstEigenvariate(one, 1, 4), {-0.5, 3.5, 1.5, -4.5}, "one cell");
    // One volume, and a constant region: Y = 0, zeros.
    EXPECT_EQ(firstEigenvariate({4.0f, 9.0f, -2.0f}, 3, 1), std::vector<double>({0.0}));
    EXPECT_EQ(firstEigenvariate(std::vector<float>(12, 0.1f), 3, 4), std::vector<double>(4, 0.0));
    // Rank one: two cells with the same course x, the third constant. V[:,0] = (1, 1, 0)/sqrt(2),
    // Y v = sqrt(2) (x - mean): eigenvariate = sqrt(2 / 3) (x - mean).
    const std::vector<float> rankOne = {1.0f, 4.0f, 1.0f, 2.0f, 1.0f, 4.0f, 1.0f, 2.0f, 6.0f, 6.0f, 6.0f, 6.0f};
    const double k = std::sqrt(2.0 / 3.0);
    expectSeriesNear(firstEigenvariate(rankOne, 3, 4), {-1.0 * k, 2.0 * k, -1.0 * k, 0.0}, "rank one");
    EXPECT_TRUE(firstEigenvariate({}, 0, 5).empty());
}

TEST(FirstEigenvariate, EigenSolverFindsLargestEigenpair) {
    // Eigenvalues 1, 3 of [[2, 1], [1, 2]]; the largest has vector (1, 1)/sqrt(2).
    std::vector<double> a = {2.0, 1.0, 1.0, 2.0};
    std::vector<double> v;
    EXPECT_NEAR(largestEigenpair(a, 2, v), 3.0, 1e-14);
    EXPECT_NEAR(std::abs(v[0]), std::sqrt(0.5), 1e-14);
    EXPECT_NEAR(v[0], v[1], 1e-14);
    // Diagonal with a tie for the largest: a unit vector in the plane of the tie.
    std::vector<double> d = {1.0, 0.0, 0.0, 0.0, 5.0, 0.0, 0.0, 0.0, 5.0};
    EXPECT_EQ(largestEigenpair(d, 3, v), 5.0);
    EXPECT_EQ(v[0], 0.0);
    EXPECT_NEAR(v[1] * v[1] + v[2] * v[2], 1.0, 1e-15);
    // H diag(-45, -44, ..., 39, 40) H with the reflection H = I - 2 u u^T: the largest
    // eigenvalue is 40 (not the largest in magnitude, -45) with eigenvector H e_last.
    const std::size_t m = 86;
    std::vector<double> u(m);
    double norm = 0.0;
    for (std::size_t i = 0; i < m; ++i) norm += (u[i] = std::sin(1.0 + 0.7 * static_cast<double>(i))) * u[i];
    for (double& x : u) x /= std::sqrt(norm);
    std::vector<double> h(m * m), rotated(m * m, 0.0);
    for (std::size_t i = 0; i < m; ++i)
        for (std::size_t j = 0; j < m; ++j) h[i * m + j] = (i == j ? 1.0 : 0.0) - 2.0 * u[i] * u[j];
    for (std::size_t i = 0; i < m; ++i)
        for (std::size_t j = 0; j < m; ++j)
            for (std::size_t k = 0; k < m; ++k)
                rotated[i * m + j] += h[i * m + k] * (static_cast<double>(k) - 45.0) * h[k * m + j];
    EXPECT_NEAR(largestEigenpair(rotated, m, v), 40.0, 1e-12);
    const double sign = v[m - 1] * h[(m - 1) * m + m - 1] < 0 ? -1.0 : 1.0;
    for (std::size_t i = 0; i < m; ++i) EXPECT_NEAR(sign * v[i], h[i * m + m - 1], 1e-12) << "element " << i;
}

TEST(FirstEigenvariate, ThroughExtractionOfGeneratedRun) {
    TempDir dir;
    const GeneratedRun run(dir, {6, 5, 4, 31, false}, test::voxelSignal);
    const std::vector<SelectedCell> cells = {cell(0, 0, 0), cell(5, 4, 0), cell(2, 3, 2), cell(3, 1, 3), cell(1, 1, 3)};
    ExtractOptions options;
    options.statistics = {TimeStatistic::Eigen};
    const TimeSeriesResult result = extractTimeSeries(run.header(), {{cells}}, options);
    std::vector<float> samples;
    for (const SelectedCell& c : cells)  // already in ascending slice, row, column order
        for (int t = 0; t < 31; ++t) samples.push_back(run.at(c, t));
    expectSeriesNear(result.vois[0].series[0], eigenvariateByPowerIteration(samples, 5, 31), "extracted");
    // One volume: zeros.
    TempDir single;
    const GeneratedRun oneVolume(single, {3, 3, 1, 1, true}, test::voxelSignal);
    const TimeSeriesResult flat = extractTimeSeries(oneVolume.header(), {{{cell(0, 0, 0), cell(2, 2, 0)}}}, options);
    EXPECT_EQ(flat.vois[0].series[0], std::vector<double>({0.0}));
}

}  // namespace
}  // namespace zandrel
