// The time-series table and its sidecar as written: "n/a" for a VOI that selects nothing and
// for NaN, shortest round-trip numbers, names kept safe for the table; the sidecar read back
// by an independent JSON parser.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "outputs/timeseries/timeseries_files.h"

namespace zandrel {
namespace {

TimeSeriesResult threeVolumes() {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    TimeSeriesResult result;
    result.volumes = 3;
    result.statistics = {TimeStatistic::Mean, TimeStatistic::Max};
    VoiSeries a;
    a.cellCount = 4;
    a.series = {{0.1, -0.0, 1e-7}, {600.0, nan, 1.0 / 3.0}};
    VoiSeries none;  // nothing selected: its values are NaN and stand for none
    none.series = {{nan, nan, nan}, {nan, nan, nan}};
    VoiSeries b;
    b.cellCount = 1;
    b.series = {{612.5, 2.0, 1e21}, {-3.0, 4.0, 5.0}};
    result.vois = {a, none, b};
    return result;
}

TEST(TimeSeriesTable, OneLinePerVolumeWithNoneAndNaNAsNotAvailable) {
    const TimeSeriesResult result = threeVolumes();
    EXPECT_EQ(timeSeriesTable({"Left V1", "empty", "tab\there"}, result, 0),
              "Left V1\tempty\ttab here\n"
              "0.1\tn/a\t612.5\n"
              "-0\tn/a\t2\n"
              "1e-07\tn/a\t1e+21\n");
    EXPECT_EQ(timeSeriesTable({"a", "b", "c"}, result, 1),
              "a\tb\tc\n"
              "600\tn/a\t-3\n"
              "n/a\tn/a\t4\n"
              "0.3333333333333333\tn/a\t5\n");
    TimeSeriesResult noVolumes = result;
    noVolumes.volumes = 0;
    EXPECT_EQ(timeSeriesTable({"a", "b", "c"}, noVolumes, 0), "a\tb\tc\n");
}

TEST(TimeSeriesSidecar, SaysWhatEveryColumnIsAndWhereItCameFrom) {
    TimeSeriesSidecar sidecar;
    sidecar.repetitionTimeMs = 2000;
    sidecar.statistics = {TimeStatistic::Mean, TimeStatistic::Eigen};
    sidecar.tables = {"r_v_stat-mean_timeseries.tsv", "r_v_stat-eigen_timeseries.tsv"};
    sidecar.minOccupancy = 0.25;
    sidecar.weighted = true;
    sidecar.voiFile = "/data/v.voi";
    sidecar.runFiles = {{"fmr", "/data/r.fmr"}, {"stc", "/data/r.stc"}};
    for (int n = 0; n < 16; ++n) sidecar.chainMatrix[static_cast<std::size_t>(n)] = n % 5 == 0 ? 1.0f : 0.0f;
    sidecar.chainMatrix[3] = 0.1f;
    sidecar.columns = {{"A", "A", colourText(255, 0, 300), 12}, {"A_2", "A", colourText(-1, 16, 171), 0}};

    const nlohmann::json json = nlohmann::json::parse(timeSeriesSidecar(sidecar));
    EXPECT_EQ(json["SamplingFrequency"].get<double>(), 0.5);
    ASSERT_EQ(json["Statistics"].size(), 2u);
    EXPECT_EQ(json["Statistics"][0]["Name"], "mean");
    EXPECT_NE(json["Statistics"][0]["Definition"].get<std::string>().find("occupancy"), std::string::npos);
    EXPECT_EQ(json["Statistics"][1]["Name"], "eigen");
    EXPECT_EQ(json["Statistics"][1]["Table"], "r_v_stat-eigen_timeseries.tsv");
    EXPECT_EQ(json["MinOccupancy"].get<double>(), 0.25);
    EXPECT_EQ(json["Weighted"], true);
    EXPECT_EQ(json["VoiFile"], "/data/v.voi");
    EXPECT_EQ(json["RunFiles"]["stc"], "/data/r.stc");
    ASSERT_EQ(json["ChainMatrix"]["RowMajor"].size(), 16u);
    EXPECT_EQ(json["ChainMatrix"]["RowMajor"][3].get<float>(), 0.1f);
    ASSERT_EQ(json["Columns"].size(), 2u);
    EXPECT_EQ(json["Columns"][0]["Color"], "#ff00ff");
    EXPECT_EQ(json["Columns"][1]["Name"], "A_2");
    EXPECT_EQ(json["Columns"][1]["Voi"], "A");
    EXPECT_EQ(json["Columns"][1]["Color"], "#0010ab");
    EXPECT_EQ(json["Columns"][1]["SelectedVoxels"], 0);

    // Without a positive TR there is no sampling frequency to state.
    for (const std::optional<std::int32_t> tr : {std::optional<std::int32_t>{}, std::optional<std::int32_t>{0}}) {
        sidecar.repetitionTimeMs = tr;
        EXPECT_FALSE(nlohmann::json::parse(timeSeriesSidecar(sidecar)).contains("SamplingFrequency"));
    }
    // The unweighted mean says nothing of occupancy.
    EXPECT_EQ(statisticDefinition(TimeStatistic::Mean, false).find("occupancy"), std::string::npos);
}

}  // namespace
}  // namespace zandrel
