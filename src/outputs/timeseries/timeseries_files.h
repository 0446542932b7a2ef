#pragma once
// The files `zandrel extract` writes per set besides the coverage table: one table of time
// series per statistic and one JSON sidecar that says what the columns are and where they
// came from.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "runs/timecourse_extract.h"

namespace zandrel {

// "<stem>_stat-<statistic>_timeseries.tsv" and "<stem>_timeseries.json".
std::string timeSeriesTableName(const std::string& stemPath, TimeStatistic statistic);
std::string timeSeriesSidecarName(const std::string& stemPath);

// The table of statistic number `statistic` of `result` (an index into result.statistics):
// a header line of `columns` (one per VOI of the result, in order; tabs and line ends
// become blanks), then one line per volume, tab-separated, numbers in shortest round-trip
// form, "n/a" for a VOI that selects nothing and for NaN.
std::string timeSeriesTable(const std::vector<std::string>& columns, const TimeSeriesResult& result,
                            std::size_t statistic);

// One sentence that defines the statistic (for the mean, weighted or not).
std::string statisticDefinition(TimeStatistic statistic, bool weighted);

// What the sidecar says about one extraction.
struct TimeSeriesSidecar {
    std::optional<std::int32_t> repetitionTimeMs;  // TR when the header has one
    std::vector<TimeStatistic> statistics;
    std::vector<std::string> tables;               // the table file of each statistic (its name only)
    double minOccupancy = 0.5;
    bool weighted = false;
    std::string voiFile;
    std::vector<std::pair<std::string, std::string>> runFiles;  // ("fmr", path), ("stc", path), ...
    std::array<float, 16> chainMatrix{};                       // anatomical grid to functional grid, row-major

    struct Column {
        std::string name;      // the table's column name
        std::string voi;       // the VOI's own name
        std::string colour;    // "#rrggbb"
        std::int64_t selectedVoxels = 0;
    };
    std::vector<Column> columns;
};

// The JSON sidecar: SamplingFrequency (1000 / TR in hertz, only when TR is positive), the
// statistics with their definitions and tables, MinOccupancy, Weighted, the VOI file, the
// run's files, the chain matrix, the columns in order, and the program's name and version.
std::string timeSeriesSidecar(const TimeSeriesSidecar& sidecar);

// "#rrggbb" of a colour, each component clamped to 0 .. 255.
std::string colourText(std::int32_t red, std::int32_t green, std::int32_t blue);

}  // namespace zandrel
