#pragma once

#include <string>
#include <vector>

#include "formats/key_table.h"
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

// Keys of the header phase (which ends after "NrOfTCPlots:") and of one plot (which ends
// after "NrOfVoxels:"), each in comparison order.
KeyTable<RoiFile> roiHeaderKeys();
KeyTable<RoiPlot> roiPlotKeys();

// Reads the header, then up to NrOfTCPlots plots. A plot whose keys run into the end of the
// file (or a value that fails to parse) is dropped with every later one. Voxel triples are
// read one by one and only complete triples are kept.
RoiFile readRoiFile(const std::string& path);

}  // namespace zandrel
