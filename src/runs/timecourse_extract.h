#pragma once
// Time courses of VOIs on a functional run: the run's time-course data streamed slice by
// slice (only the slices that hold selected cells), reduced per volume to one value per
// VOI and statistic, in double precision.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "formats/fmr_header.h"

namespace zandrel {

enum class TimeStatistic { Mean, Median, Std, Min, Max, Eigen };

// "mean", "median", "std", "min", "max", "eigen".
const char* statisticName(TimeStatistic statistic);
// The statistic of that name; nothing for any other text.
std::optional<TimeStatistic> statisticNamed(const std::string& name);

// One functional cell of a VOI's selection and the share of it that the VOI fills.
struct SelectedCell {
    std::int32_t column = 0;
    std::int32_t row = 0;
    std::int32_t slice = 0;
    double occupancy = 1.0;  // in (0, 1]
};

// The selected cells of one VOI, in any order, each cell once.
struct SelectedCells {
    std::vector<SelectedCell> cells;
};

struct ExtractOptions {
    std::vector<TimeStatistic> statistics{TimeStatistic::Mean};
    // The mean weighted by occupancy: sum f x / sum f. The other statistics are unweighted.
    bool weighted = false;
    // Sane bounds, checked before anything is allocated: samples of one slice of one
    // volume, and the statistics' own state (per-volume sums and extremes, and for std,
    // median and eigen every selected cell's samples of every volume as floats).
    std::uint64_t maxPlaneSamples = std::uint64_t{1} << 26;
    std::uint64_t maxStateBytes = std::uint64_t{1} << 30;
};

struct VoiSeries {
    // |S_v|. Zero when nothing is selected: every value is then NaN and stands for none.
    std::size_t cellCount = 0;
    // One series per entry of ExtractOptions::statistics, in that order, NrOfVolumes
    // values each. NaN in a selected VOI's series is a value that a NaN sample made.
    std::vector<std::vector<double>> series;

    bool none() const { return cellCount == 0; }
};

struct TimeSeriesResult {
    std::int32_t volumes = 0;
    std::vector<TimeStatistic> statistics;  // as asked
    std::vector<VoiSeries> vois;            // one per selection, in input order
    std::vector<std::int32_t> slicesRead;   // the slices read from the data file, ascending
};

// Reads the time-course data file of `header` (timeCourseFileName) and reduces it per VOI
// of `perVoi`. Every volume is used. Only the slices that hold a selected cell are read,
// one plane at a time, so memory is one plane of samples plus the statistics' state.
// Throws std::runtime_error naming the data file when it is not a regular file, cannot
// be opened ("Failed opening STC for reading: " + name), is shorter than the header
// promises, or ends while it is read, and when a bound of `options` is exceeded;
// std::invalid_argument for a cell outside the functional grid, a cell listed twice in
// one VOI, or an occupancy that is not in (0, 1].
TimeSeriesResult extractTimeSeries(const FmrHeader& header, const std::vector<SelectedCells>& perVoi,
                                   const ExtractOptions& options);

}  // namespace zandrel
