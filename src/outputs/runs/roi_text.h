#pragma once

#include <string>
#include <vector>

#include "geometry/voxel_triple.h"

namespace zandrel {

// The text of a ROI file (FileVersion 6) with one plot per voxel list, in order: the header
// keys, then per plot NrOfTCs 1, its bounding box (FromSlice the lowest slice, Left and Right
// the lowest and highest column, Top and Bottom the lowest and highest row; all 0 for an
// empty plot), NrOfVoxels and one "column row slice" line per voxel, as given. Key words
// stand in a column of 22 characters in the header and 13 in the plots; lines end in LF.
std::string roiFileText(const std::vector<std::vector<VoxelTriple>>& plots);

}  // namespace zandrel
