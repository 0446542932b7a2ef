// Every statistic of extractTimeSeries against a straightforward computation over the
// samples the test wrote: 16-bit and float runs, weighted and unweighted, several VOIs.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <tuple>
#include <cmath>
#include <limits>
#include <vector>

#include "runs/timecourse_extract.h"
#include "timecourse_fixture.h"

namespace zandrel {
namespace {

using test::cell;
using test::GeneratedRun;
using test::TempDir;

const std::vector<TimeStatistic> kAllButEigen = {TimeStatistic::Mean, TimeStatistic::Median, TimeStatistic::Std,
                                                 TimeStatistic::Min, TimeStatistic::Max};

// Straightforward per-volume statistics of one VOI.
struct Reference {
    const GeneratedRun& run;
    std::vector<SelectedCell> cells;

    std::vector<double> values(int t) const {
        std::vector<double> x;
        for (const SelectedCell& c : cells) x.push_back(run.at(c, t));
        return x;
    }
    double of(TimeStatistic statistic, int t, bool weighted) const {
        std::vector<double> x = values(t);
        const double n = static_cast<double>(x.size());
        double sum = 0.0;
        for (const double v : x) sum += v;
        const double mean = sum / n;
        switch (statistic) {
            case TimeStatistic::Mean: {
                if (!weighted) return mean;
                double fx = 0.0, f = 0.0;
                for (std::size_t i = 0; i < x.size(); ++i) {
                    fx += cells[i].occupancy * x[i];
                    f += cells[i].occupancy;
                }
                return fx / f;
            }
            case TimeStatistic::Median: {
                std::sort(x.begin(), x.end());
                const std::size_t m = x.size() / 2;
                return x.size() % 2 == 1 ? x[m] : (x[m - 1] + x[m]) / 2.0;
            }
            case TimeStatistic::Std: {
                double squares = 0.0;
                for (const double v : x) squares += (v - mean) * (v - mean);
                return std::sqrt(squares / n);
            }
            case TimeStatistic::Min: return *std::min_element(x.begin(), x.end());
            case TimeStatistic::Max: return *std::max_element(x.begin(), x.end());
            case TimeStatistic::Eigen: break;
        }
        return std::numeric_limits<double>::quiet_NaN();
    }
};

// Occupancies that differ from cell to cell, so that the weighted mean is not the mean.
std::vector<SelectedCell> scattered(const std::vector<std::array<int, 3>>& positions) {
    std::vector<SelectedCell> cells;
    for (std::size_t i = 0; i < positions.size(); ++i)
        cells.push_back(cell(positions[i][0], positions[i][1], positions[i][2], 0.15 + 0.85 * ((i * 7) % 11) / 10.0));
    return cells;
}

void expectMatchesReference(const TimeSeriesResult& result, std::size_t voi, const Reference& reference,
                            bool weighted, const std::string& label) {
    const VoiSeries& series = result.vois.at(voi);
    ASSERT_EQ(series.cellCount, reference.cells.size()) << label;
    for (std::size_t k = 0; k < result.statistics.size(); ++k) {
        const TimeStatistic statistic = result.statistics[k];
        ASSERT_EQ(series.series[k].size(), static_cast<std::size_t>(result.volumes)) << label;
        for (int t = 0; t < result.volumes; ++t) {
            const double expected = reference.of(statistic, t, weighted);
            const double got = series.series[k][static_cast<std::size_t>(t)];
            // Sums may run in another order than the reference's: allow a few last bits.
            EXPECT_NEAR(got, expected, 1e-12 * std::max(1.0, std::abs(expected)))
                << label << ", VOI " << voi << ", " << statisticName(statistic) << ", volume " << t << std::hexfloat
                << ": " << got << " vs " << expected;
        }
    }
}

TEST(TimeCourseStatistics, EveryStatisticMatchesStraightforwardReference) {
    for (const bool floatData : {false, true}) {
        for (const bool weighted : {false, true}) {
            TempDir dir;
            const GeneratedRun run(dir, {7, 5, 6, 23, floatData}, test::voxelSignal);
            // Odd and even counts, unsorted input, cells over several slices, one VOI
            // sharing cells with another, one VOI of a single cell.
            const std::vector<SelectedCell> a = scattered({{3, 2, 4}, {0, 0, 0}, {6, 4, 5}, {1, 3, 2}, {2, 2, 4}});
            const std::vector<SelectedCell> b = scattered({{1, 3, 2}, {5, 1, 2}, {4, 4, 1}, {0, 2, 2}});
            const std::vector<SelectedCell> c = {cell(6, 0, 3, 0.4)};
            ExtractOptions options;
            options.statistics = kAllButEigen;
            options.weighted = weighted;
            const TimeSeriesResult result = extractTimeSeries(run.header(), {{a}, {b}, {c}}, options);
            ASSERT_EQ(result.volumes, 23);
            ASSERT_EQ(result.vois.size(), 3u);
            const std::string label = std::string(floatData ? "float" : "int16") + (weighted ? ", weighted" : "");
            std::vector<SelectedCell> sortedA = a;
            std::sort(sortedA.begin(), sortedA.end(), [](const SelectedCell& l, const SelectedCell& r) {
                return std::tie(l.slice, l.row, l.column) < std::tie(r.slice, r.row, r.column);
            });
            expectMatchesReference(result, 0, Reference{run, sortedA}, weighted, label);
            expectMatchesReference(result, 1, Reference{run, b}, weighted, label);
            expectMatchesReference(result, 2, Reference{run, c}, weighted, label);
            EXPECT_EQ(result.slicesRead, (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5})) << label;
        }
    }
}

TEST(TimeCourseStatistics, NothingSelectedGivesNoneAndNaNSampleSpoilsOnlyItsVolume) {
    TempDir dir;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // One NaN sample, at cell (1, 1, 0) in volume 2.
    const GeneratedRun run(dir, {3, 3, 2, 5, true}, [&](int x, int y, int s, int t) {
        return x == 1 && y == 1 && s == 0 && t == 2 ? nan : test::voxelSignal(x, y, s, t);
    });
    ExtractOptions options;
    options.statistics = kAllButEigen;
    options.statistics.push_back(TimeStatistic::Eigen);
    const std::vector<SelectedCell> withNaN = {cell(1, 1, 0), cell(2, 1, 1), cell(0, 2, 0)};
    const std::vector<SelectedCell> clean = {cell(1, 0, 0), cell(2, 1, 1)};
    const TimeSeriesResult result = extractTimeSeries(run.header(), {{withNaN}, {}, {clean}}, options);
    ASSERT_EQ(result.vois.size(), 3u);
    for (std::size_t k = 0; k < options.statistics.size(); ++k) {
        const std::string name = statisticName(options.statistics[k]);
        const std::vector<double>& spoilt = result.vois[0].series[k];
        for (std::size_t t = 0; t < 5; ++t) {
            const bool nanExpected = options.statistics[k] == TimeStatistic::Eigen || t == 2;
            EXPECT_EQ(std::isnan(spoilt[t]), nanExpected) << name << ", volume " << t;
            EXPECT_FALSE(std::isnan(result.vois[2].series[k][t])) << name << ", volume " << t;
            EXPECT_TRUE(std::isnan(result.vois[1].series[k][t])) << name << ", volume " << t;
        }
    }
    EXPECT_FALSE(result.vois[0].none());
    EXPECT_TRUE(result.vois[1].none());
    EXPECT_EQ(result.vois[1].series.size(), options.statistics.size());
}

}  // namespace
}  // namespace zandrel
