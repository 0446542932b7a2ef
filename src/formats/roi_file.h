#pragma once

#include <string>
#include <vector>

#include "formats/keyed_field.h"
#include "geometry/voxel_triple.h"

namespace zandrel {

struct RoiPlot {
    KeyedInt NrOfTCs;
    KeyedInt FromSlice;
    KeyedInt Left;
    KeyedInt Right;
    KeyedInt Top;
    KeyedInt Bottom;
    KeyedInt NrOfVoxels;
    // The triples read completely; never more than NrOfVoxels, fewer when the file ends early.
    std::vector<VoxelTriple> voxels;
};

struct RoiFile {
    std::string path;
    KeyedInt FileVersion;  // preset to -1 by the reader
    KeyedInt SaveVoxelsInROIs;
    KeyedInt SaveSortedVoxelList;
    KeyedInt SaveROIMaxPSC;
    KeyedInt NrOfTCPlots;
    std::vector<RoiPlot> plots;

    RoiFile() { FileVersion.value = -1; }
};

RoiFile readRoiFile(const std::string& path);

}  // namespace zandrel
