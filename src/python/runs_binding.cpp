// A .voi file placed on one functional run, as `zandrel project` and `zandrel extract` place
// it: per VOI the selected cells with their occupancies and the coverage figures, and the
// time courses of each statistic.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "arrays.h"
#include "bindings.h"
#include "zandrel/runs.h"

namespace zandrel::python {

namespace {

py::object optionalNumber(const std::optional<double>& value) {
    return value ? py::object(py::float_(*value)) : py::object(py::none());
}

// The run set placed as `zandrel project` places it: the .voi file read from its path, or
// the VoiFile in memory when one is given (so an unsaved conversion is what is placed).
ProjectedRun placeRun(const VoiFileObject* voi, const RunSet& set) {
    return voi != nullptr ? projectVoiFile(voi->file, set) : projectRunSet(set);
}

py::list projectRun(const VoiFileObject* voi, const RunSet& set, double minOccupancy) {
    ProjectedRun run;
    {
        py::gil_scoped_release released;
        run = placeRun(voi, set);
    }
    py::list vois;
    for (const VoiFootprint& voi : run.footprint.vois) {
        std::vector<std::int32_t> cells;
        std::vector<double> occupancies;
        for (const FootprintCell& cell : voi.touched) {
            if (!isSelected(cell, minOccupancy)) continue;
            cells.insert(cells.end(), {cell.cell.x, cell.cell.y, cell.cell.z});
            occupancies.push_back(cell.occupancy());
        }
        const auto n = static_cast<py::ssize_t>(occupancies.size());
        const CoverageFigures figures = coverageOf(voi, minOccupancy);
        py::dict coverage;
        coverage["voi_voxels"] = figures.voiVoxels;
        coverage["in_run"] = figures.inRun;
        coverage["coverage"] = optionalNumber(figures.coverage);
        coverage["touched"] = figures.touched;
        coverage["selected"] = figures.selected;
        coverage["occupancy_mean"] = optionalNumber(figures.occupancyMean);
        py::dict entry;
        entry["name"] = voi.name;
        entry["voxels"] = ownedArray(std::move(cells), {n, 3}, {12, 4});
        entry["occupancy"] = ownedArray(std::move(occupancies), {n}, {8});
        entry["coverage"] = coverage;
        vois.append(entry);
    }
    return vois;
}

py::dict extractRun(const VoiFileObject* voi, const RunSet& set, const std::vector<std::string>& statistics,
                    double minOccupancy, bool weighted) {
    ExtractOptions options;
    options.statistics.clear();
    for (const std::string& name : statistics) {
        const std::optional<TimeStatistic> statistic = statisticNamed(name);
        if (!statistic) throw py::value_error("unknown statistic '" + name + "'");
        options.statistics.push_back(*statistic);
    }
    options.weighted = weighted;
    TimeSeriesResult result;
    std::vector<std::string> names;
    {
        py::gil_scoped_release released;
        const ProjectedRun run = placeRun(voi, set);
        checkTimeCourseFile(run.fmr);
        result = extractVoiTimeSeries(run.footprint, run.fmr, minOccupancy, options);
        for (const Voi& voi : run.voi.vois) names.push_back(voi.NameOfVOI.value);
    }
    const std::size_t volumes = static_cast<std::size_t>(result.volumes);
    const std::size_t columns = names.size();
    py::dict tables;
    for (std::size_t s = 0; s < result.statistics.size(); ++s) {
        // Volumes down, VOIs across, as the tables are; NaN where a table says n/a.
        std::vector<double> values(volumes * columns, std::numeric_limits<double>::quiet_NaN());
        for (std::size_t v = 0; v < columns && v < result.vois.size(); ++v) {
            const VoiSeries& voi = result.vois[v];
            if (voi.none() || s >= voi.series.size()) continue;
            for (std::size_t t = 0; t < volumes && t < voi.series[s].size(); ++t) values[t * columns + v] = voi.series[s][t];
        }
        const auto stride = static_cast<py::ssize_t>(columns * sizeof(double));
        tables[statisticName(result.statistics[s])] =
            ownedArray(std::move(values), {static_cast<py::ssize_t>(volumes), static_cast<py::ssize_t>(columns)},
                       {stride, static_cast<py::ssize_t>(sizeof(double))});
    }
    std::vector<std::size_t> selected;
    for (const VoiSeries& voi : result.vois) selected.push_back(voi.cellCount);
    py::dict out;
    out["tables"] = tables;
    out["names"] = uniqueColumnNames(names);
    out["voi_names"] = names;
    out["selected"] = selected;
    return out;
}

RunSet runSet(const std::string& voi, const std::string& fmr, const std::string& ia, const std::string& fa,
              const std::string& acpc, const std::string& tal) {
    return RunSet{voi, fmr, ia, fa, acpc, tal};
}

}  // namespace

void bindRuns(py::module_& m) {
    m.def(
        "_project",
        [](const VoiFileObject* file, const std::string& voi, const std::string& fmr, const std::string& ia,
           const std::string& fa, const std::string& acpc, const std::string& tal, double minOccupancy) {
            return projectRun(file, runSet(voi, fmr, ia, fa, acpc, tal), minOccupancy);
        },
        py::arg("file").none(true), py::arg("voi"), py::arg("fmr"), py::arg("ia"), py::arg("fa"), py::arg("acpc"),
        py::arg("tal"), py::arg("min_occupancy"));
    m.def(
        "_extract",
        [](const VoiFileObject* file, const std::string& voi, const std::string& fmr, const std::string& ia,
           const std::string& fa, const std::string& acpc, const std::string& tal,
           const std::vector<std::string>& statistics, double minOccupancy, bool weighted) {
            return extractRun(file, runSet(voi, fmr, ia, fa, acpc, tal), statistics, minOccupancy, weighted);
        },
        py::arg("file").none(true), py::arg("voi"), py::arg("fmr"), py::arg("ia"), py::arg("fa"), py::arg("acpc"),
        py::arg("tal"), py::arg("statistics"), py::arg("min_occupancy"), py::arg("weighted"));
    m.def("_statistics", [] {
        std::vector<std::string> names;
        for (const TimeStatistic s : {TimeStatistic::Mean, TimeStatistic::Median, TimeStatistic::Std,
                                      TimeStatistic::Min, TimeStatistic::Max, TimeStatistic::Eigen})
            names.emplace_back(statisticName(s));
        return names;
    });
}

}  // namespace zandrel::python
