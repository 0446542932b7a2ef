#include "runs/timecourse_extract.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <tuple>

#include "formats/time_course_stream.h"
#include "runs/timecourse_statistics.h"

namespace zandrel {

namespace {

struct NamedStatistic {
    TimeStatistic statistic;
    const char* name;
};

constexpr NamedStatistic kStatistics[] = {
    {TimeStatistic::Mean, "mean"}, {TimeStatistic::Median, "median"}, {TimeStatistic::Std, "std"},
    {TimeStatistic::Min, "min"},   {TimeStatistic::Max, "max"},       {TimeStatistic::Eigen, "eigen"},
};

std::string cellText(const SelectedCell& cell) {
    return "(" + std::to_string(cell.column) + ", " + std::to_string(cell.row) + ", " + std::to_string(cell.slice) + ")";
}

// One selected cell as the stream meets it: slice, then position in the plane.
struct CellVisit {
    std::int32_t slice;
    std::size_t offset;  // row * ResolutionX + column
    std::uint32_t voi;
    std::uint32_t cell;  // index in the VOI's ascending order
};

// The VOI's cells in ascending slice, row, column order, checked against the grid.
std::vector<SelectedCell> sortedCells(const FmrHeader& header, const SelectedCells& selection, std::size_t voi) {
    std::vector<SelectedCell> cells = selection.cells;
    const auto key = [](const SelectedCell& c) { return std::make_tuple(c.slice, c.row, c.column); };
    std::sort(cells.begin(), cells.end(), [&](const SelectedCell& a, const SelectedCell& b) { return key(a) < key(b); });
    const std::string where = " in the selection of VOI " + std::to_string(voi + 1);
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const SelectedCell& c = cells[i];
        if (c.column < 0 || c.column >= header.ResolutionX.value || c.row < 0 || c.row >= header.ResolutionY.value ||
            c.slice < 0 || c.slice >= header.NrOfSlices.value) {
            throw std::invalid_argument("Cell " + cellText(c) + where + " lies outside the functional grid");
        }
        if (!(c.occupancy > 0.0 && c.occupancy <= 1.0)) {
            throw std::invalid_argument("Cell " + cellText(c) + where + " has an occupancy outside (0, 1]");
        }
        if (i > 0 && key(cells[i - 1]) == key(c)) {
            throw std::invalid_argument("Cell " + cellText(c) + where + " is listed twice");
        }
    }
    return cells;
}

}  // namespace

const char* statisticName(TimeStatistic statistic) {
    for (const NamedStatistic& s : kStatistics) {
        if (s.statistic == statistic) return s.name;
    }
    return "";
}

std::optional<TimeStatistic> statisticNamed(const std::string& name) {
    for (const NamedStatistic& s : kStatistics) {
        if (name == s.name) return s.statistic;
    }
    return std::nullopt;
}

TimeSeriesResult extractTimeSeries(const FmrHeader& header, const std::vector<SelectedCells>& perVoi,
                                   const ExtractOptions& options) {
    // Opening checks the file and the header's sizes before anything is allocated.
    TimeCoursePlanes planes(header, options.maxPlaneSamples);
    const std::size_t volumes = static_cast<std::size_t>(std::max(planes.volumes(), 0));

    std::vector<std::vector<SelectedCell>> selections;
    selections.reserve(perVoi.size());
    std::size_t totalCells = 0;
    for (std::size_t v = 0; v < perVoi.size(); ++v) {
        selections.push_back(sortedCells(header, perVoi[v], v));
        totalCells += selections.back().size();
    }

    const StatisticNeeds needs = StatisticNeeds::of(options);
    double stateBytes = static_cast<double>(planes.planeSamples()) * 4.0 + sizeof(CellVisit) * double(totalCells);
    for (const std::vector<SelectedCell>& cells : selections) {
        stateBytes += needs.stateBytes(static_cast<double>(cells.size()), static_cast<double>(volumes));
    }
    // The result: one series of doubles per VOI and statistic.
    stateBytes += 8.0 * static_cast<double>(volumes) * static_cast<double>(selections.size()) *
                  static_cast<double>(options.statistics.size());
    if (stateBytes > static_cast<double>(options.maxStateBytes)) {
        throw std::runtime_error("Time courses of " + std::to_string(totalCells) + " selected cells over " +
                                 std::to_string(volumes) + " volumes of " + planes.name() + " need about " +
                                 std::to_string(static_cast<unsigned long long>(stateBytes)) +
                                 " bytes, more than the limit of " + std::to_string(options.maxStateBytes));
    }

    std::vector<RegionStatistics> regions;
    regions.reserve(selections.size());
    std::vector<CellVisit> visits;
    visits.reserve(totalCells);
    const std::size_t columns = static_cast<std::size_t>(std::max(header.ResolutionX.value, 0));
    for (std::size_t v = 0; v < selections.size(); ++v) {
        std::vector<double> weights;
        weights.reserve(selections[v].size());
        for (std::size_t c = 0; c < selections[v].size(); ++c) {
            const SelectedCell& cell = selections[v][c];
            weights.push_back(cell.occupancy);
            visits.push_back({cell.slice,
                              static_cast<std::size_t>(cell.row) * columns + static_cast<std::size_t>(cell.column),
                              static_cast<std::uint32_t>(v), static_cast<std::uint32_t>(c)});
        }
        regions.emplace_back(needs, std::move(weights), volumes);
    }
    // Slice by slice in file order; within a plane by position. Each VOI's cells are
    // ascending in this order too, so its sums always run over its cells in one order.
    std::sort(visits.begin(), visits.end(), [](const CellVisit& a, const CellVisit& b) {
        return std::tie(a.slice, a.offset, a.voi) < std::tie(b.slice, b.offset, b.voi);
    });

    TimeSeriesResult result;
    result.volumes = static_cast<std::int32_t>(volumes);
    result.statistics = options.statistics;
    std::vector<float> plane(visits.empty() || volumes == 0 ? 0 : planes.planeSamples());
    for (std::size_t first = 0; first < visits.size() && volumes > 0;) {
        const std::int32_t slice = visits[first].slice;
        std::size_t last = first;
        while (last < visits.size() && visits[last].slice == slice) ++last;
        result.slicesRead.push_back(slice);
        // The planes of one slice, volume after volume, lie one after another in the file.
        for (std::size_t t = 0; t < volumes; ++t) {
            planes.read(slice, static_cast<std::int32_t>(t), plane.data());
            for (std::size_t i = first; i < last; ++i) {
                const CellVisit& visit = visits[i];
                regions[visit.voi].add(visit.cell, t, plane[visit.offset]);
            }
        }
        first = last;
    }

    result.vois.resize(selections.size());
    for (std::size_t v = 0; v < selections.size(); ++v) {
        VoiSeries& series = result.vois[v];
        series.cellCount = selections[v].size();
        for (const TimeStatistic statistic : options.statistics) series.series.push_back(regions[v].finish(statistic));
    }
    return result;
}

}  // namespace zandrel
