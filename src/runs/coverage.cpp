#include "runs/footprint.h"

namespace zandrel {

std::vector<VoxelTriple> selectedCells(const VoiFootprint& voi, double minOccupancy) {
    std::vector<VoxelTriple> selected;
    for (const FootprintCell& cell : voi.touched)
        if (isSelected(cell, minOccupancy)) selected.push_back(cell.cell);
    return selected;
}

CoverageFigures coverageOf(const VoiFootprint& voi, double minOccupancy) {
    CoverageFigures figures;
    figures.voiVoxels = voi.voiVoxels;
    figures.inRun = voi.inRun;
    if (voi.voiVoxels > 0) figures.coverage = static_cast<double>(voi.inRun) / static_cast<double>(voi.voiVoxels);
    figures.touched = static_cast<std::int64_t>(voi.touched.size());
    // Summed in cell order, so the mean is the same on every platform.
    double sum = 0.0;
    for (const FootprintCell& cell : voi.touched) {
        if (!isSelected(cell, minOccupancy)) continue;
        ++figures.selected;
        sum += cell.occupancy();
    }
    if (figures.selected > 0) figures.occupancyMean = sum / static_cast<double>(figures.selected);
    return figures;
}

}  // namespace zandrel
