#pragma once

#include <string>

#include "runs/footprint.h"

namespace zandrel {

// The header line of a coverage table, tab-separated and ending in a line feed.
inline constexpr char kCoverageTableHeader[] =
    "name\tvoi_voxels\tin_run\tcoverage\ttouched\tselected\toccupancy_mean\n";

// The coverage table of a footprint at threshold `minOccupancy`: the header, then one row per
// VOI in file order with its name and the figures of coverageOf, numbers in shortest
// round-trip form and "n/a" where there is none (coverage of a VOI without points, the mean
// occupancy when no cell is selected). Tabs and line ends inside a name become blanks, so
// every row has seven fields.
std::string coverageTableText(const Footprint& footprint, double minOccupancy);

// Writes the coverage table to `path` through the one safe output file; throws as
// writeWholeFile does.
void writeCoverageTable(const std::string& path, const Footprint& footprint, double minOccupancy);

}  // namespace zandrel
