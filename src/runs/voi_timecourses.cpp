#include "runs/voi_timecourses.h"

#include <map>
#include <set>

namespace zandrel {

std::vector<SelectedCells> selectionsOf(const Footprint& footprint, double minOccupancy) {
    std::vector<SelectedCells> selections(footprint.vois.size());
    for (std::size_t v = 0; v < footprint.vois.size(); ++v) {
        for (const FootprintCell& cell : footprint.vois[v].touched) {
            if (!isSelected(cell, minOccupancy)) continue;
            selections[v].cells.push_back(SelectedCell{cell.cell.x, cell.cell.y, cell.cell.z, cell.occupancy()});
        }
    }
    return selections;
}

TimeSeriesResult extractVoiTimeSeries(const Footprint& footprint, const FmrHeader& fmr, double minOccupancy,
                                      const ExtractOptions& options) {
    return extractTimeSeries(fmr, selectionsOf(footprint, minOccupancy), options);
}

VoiTimeCourses extractVoiTimeCourses(const VoiFile& file, const SetChain& chain, const FmrHeader& fmr,
                                     double minOccupancy, const ExtractOptions& options) {
    VoiTimeCourses result;
    result.footprint = computeFootprint(file, chain, fmr);
    result.series = extractVoiTimeSeries(result.footprint, fmr, minOccupancy, options);
    return result;
}

std::vector<std::string> uniqueColumnNames(const std::vector<std::string>& names) {
    // Every original name is reserved first, so that a suffixed name never takes the name
    // of a later VOI ("A", "A", "A_2" gives "A", "A_3", "A_2").
    const std::set<std::string> originals(names.begin(), names.end());
    std::set<std::string> taken;
    std::map<std::string, int> occurrences;
    std::vector<std::string> columns;
    columns.reserve(names.size());
    for (const std::string& name : names) {
        int n = ++occurrences[name];
        std::string column = name;
        if (n > 1) {
            column = name + "_" + std::to_string(n);
            while (taken.count(column) > 0 || originals.count(column) > 0) column = name + "_" + std::to_string(++n);
        }
        taken.insert(column);
        columns.push_back(column);
    }
    return columns;
}

}  // namespace zandrel
