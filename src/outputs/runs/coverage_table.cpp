#include "outputs/runs/coverage_table.h"

#include <optional>

#include "io/output_file.h"
#include "io/shortest_float.h"

namespace zandrel {

namespace {

std::string cellText(const std::string& name) {
    std::string text = name;
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return text;
}

std::string numberOrNone(const std::optional<double>& value) {
    return value ? shortestFloat(*value) : std::string("n/a");
}

}  // namespace

std::string coverageTableText(const Footprint& footprint, double minOccupancy) {
    std::string text = kCoverageTableHeader;
    for (const VoiFootprint& voi : footprint.vois) {
        const CoverageFigures figures = coverageOf(voi, minOccupancy);
        text += cellText(voi.name) + '\t' + std::to_string(figures.voiVoxels) + '\t' + std::to_string(figures.inRun) +
                '\t' + numberOrNone(figures.coverage) + '\t' + std::to_string(figures.touched) + '\t' +
                std::to_string(figures.selected) + '\t' + numberOrNone(figures.occupancyMean) + '\n';
    }
    return text;
}

void writeCoverageTable(const std::string& path, const Footprint& footprint, double minOccupancy) {
    writeWholeFile(path, coverageTableText(footprint, minOccupancy), "coverage");
}

}  // namespace zandrel
