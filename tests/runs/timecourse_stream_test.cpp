// Streaming the time-course data: only the slices a selection needs are read, one volume,
// and the refusals of files and selections that cannot be honoured.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <stdexcept>
#include <string>

#include "expect_throw.h"
#include "runs/timecourse_extract.h"
#include "timecourse_fixture.h"

namespace zandrel {
namespace {

using test::cell;
using test::GeneratedRun;
using test::messageThrownBy;
using test::TempDir;
using test::throwsWithMessage;

ExtractOptions every() {
    ExtractOptions options;
    options.statistics = {TimeStatistic::Mean, TimeStatistic::Median, TimeStatistic::Std,
                          TimeStatistic::Min,  TimeStatistic::Max,    TimeStatistic::Eigen};
    return options;
}

TEST(TimeCourseStream, ReadsOnlyTheSlicesThatHoldSelectedCells) {
    TempDir dir;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Slices 0, 2 and 4 hold nothing but NaN: reading any of them would spoil every series.
    const GeneratedRun run(dir, {5, 4, 5, 12, true}, [&](int x, int y, int s, int t) {
        return s % 2 == 0 ? nan : test::voxelSignal(x, y, s, t);
    });
    const std::vector<SelectedCell> a = {cell(4, 3, 3), cell(0, 1, 1), cell(2, 2, 3)};
    const std::vector<SelectedCell> b = {cell(1, 1, 3, 0.5)};
    const TimeSeriesResult result = extractTimeSeries(run.header(), {{a}, {b}}, every());
    EXPECT_EQ(result.slicesRead, (std::vector<std::int32_t>{1, 3}));
    for (const VoiSeries& voi : result.vois)
        for (const std::vector<double>& series : voi.series)
            for (const double value : series) EXPECT_FALSE(std::isnan(value));
    // The mean of a single cell is its sample.
    EXPECT_EQ(result.vois[1].series[0][11], static_cast<double>(run.at(b[0], 11)));
}

TEST(TimeCourseStream, OneVolumeAndNoSelection) {
    TempDir dir;
    const GeneratedRun run(dir, {3, 2, 2, 1, false}, test::voxelSignal);
    const std::vector<SelectedCell> cells = {cell(0, 0, 0), cell(2, 1, 1), cell(1, 0, 1)};
    const TimeSeriesResult result = extractTimeSeries(run.header(), {{cells}, {}}, every());
    ASSERT_EQ(result.volumes, 1);
    double x[3] = {run.at(cells[0], 0), run.at(cells[1], 0), run.at(cells[2], 0)};
    std::sort(x, x + 3);
    const std::vector<std::vector<double>>& series = result.vois[0].series;
    EXPECT_NEAR(series[0][0], (x[0] + x[1] + x[2]) / 3.0, 1e-9);
    EXPECT_EQ(series[1][0], x[1]);
    EXPECT_EQ(series[3][0], x[0]);
    EXPECT_EQ(series[4][0], x[2]);
    EXPECT_EQ(series[5][0], 0.0);
    EXPECT_TRUE(result.vois[1].none());
    // Nothing selected anywhere: no slice is read, every series stands for none.
    const TimeSeriesResult nothing = extractTimeSeries(run.header(), {{}, {}}, every());
    EXPECT_TRUE(nothing.slicesRead.empty());
    EXPECT_TRUE(std::isnan(nothing.vois[0].series[2][0]));
}

TEST(TimeCourseStream, FilesThatCannotBeHonouredAreRefusedNamingThem) {
    TempDir dir;
    const GeneratedRun run(dir, {4, 3, 2, 6, false}, test::voxelSignal);
    const FmrHeader header = run.header();
    const std::vector<SelectedCells> selection = {{{cell(0, 0, 0)}}};
    const std::string stc = run.stcPath();
    const auto extract = [&] { extractTimeSeries(header, selection, every()); };

    // One byte short of what the header promises (4 x 3 x 2 x 6 samples of 2 bytes).
    std::string bytes = test::readFile(stc);
    dir.write("run.stc", bytes.substr(0, bytes.size() - 1));
    EXPECT_EQ(messageThrownBy<std::runtime_error>(extract),
              "Time-course data file " + stc +
                  " holds 287 bytes but the header promises 288 bytes (6 volumes x 2 slices x 3 rows x 4 columns of 2 bytes)");

    std::filesystem::remove(stc);
    EXPECT_TRUE(throwsWithMessage<std::runtime_error>(extract, "Failed opening STC for reading: " + stc));

    std::filesystem::create_directory(stc);
    EXPECT_TRUE(throwsWithMessage<std::runtime_error>(
        extract, "Failed opening STC for reading: " + stc + " (a folder, not a regular file)"));
}

TEST(TimeCourseStream, BoundsAreCheckedBeforeAllocating) {
    TempDir dir;
    const GeneratedRun run(dir, {8, 8, 2, 50, false}, test::voxelSignal);
    std::vector<SelectedCell> cells;
    for (int s = 0; s < 2; ++s)
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) cells.push_back(cell(x, y, s));
    ExtractOptions options = every();
    options.maxPlaneSamples = 63;
    EXPECT_EQ(messageThrownBy<std::runtime_error>([&] { extractTimeSeries(run.header(), {{cells}}, options); }),
              "Time-course data file " + run.stcPath() + " cannot be read: a slice of 8 x 8 samples exceeds 63");
    options = every();
    options.maxStateBytes = 20000;  // 128 cells x 50 volumes of float samples alone need 25,600
    const std::string refusal =
        messageThrownBy<std::runtime_error>([&] { extractTimeSeries(run.header(), {{cells}}, options); });
    EXPECT_EQ(refusal.rfind("Time courses of 128 selected cells over 50 volumes of " + run.stcPath(), 0), 0u) << refusal;
    // Mean, min and max keep no samples: the same selection fits.
    options.statistics = {TimeStatistic::Mean, TimeStatistic::Min, TimeStatistic::Max};
    EXPECT_EQ(extractTimeSeries(run.header(), {{cells}}, options).vois[0].cellCount, 128u);
}

TEST(TimeCourseStream, SelectionsThatCannotBeRightAreRefused) {
    TempDir dir;
    const GeneratedRun run(dir, {4, 3, 2, 3, false}, test::voxelSignal);
    struct Case {
        SelectedCell bad;
        std::string message;
    };
    const Case cases[] = {
        {cell(4, 0, 0), "Cell (4, 0, 0) in the selection of VOI 2 lies outside the functional grid"},
        {cell(0, -1, 0), "Cell (0, -1, 0) in the selection of VOI 2 lies outside the functional grid"},
        {cell(0, 0, 2), "Cell (0, 0, 2) in the selection of VOI 2 lies outside the functional grid"},
        {cell(1, 1, 1, 0.0), "Cell (1, 1, 1) in the selection of VOI 2 has an occupancy outside (0, 1]"},
        {cell(1, 1, 1, std::nan("")), "Cell (1, 1, 1) in the selection of VOI 2 has an occupancy outside (0, 1]"},
        {cell(3, 2, 1), "Cell (3, 2, 1) in the selection of VOI 2 is listed twice"},
    };
    for (const Case& c : cases) {
        const std::vector<SelectedCells> selection = {{{cell(0, 0, 0)}}, {{cell(3, 2, 1), c.bad}}};
        EXPECT_TRUE(throwsWithMessage<std::invalid_argument>(
            [&] { extractTimeSeries(run.header(), selection, every()); }, c.message));
    }
}

}  // namespace
}  // namespace zandrel
