// The ROI file reader: a header phase, then one phase per time-course plot.
#include <cstdint>
#include <string>

#include "formats/file_probe.h"
#include "formats/key_table.h"
#include "formats/keyed_reader.h"
#include "formats/roi_file.h"

namespace zandrel {

namespace {

const char* const kHeaderEnd = "NrOfTCPlots:";
const char* const kPlotEnd = "NrOfVoxels:";

const KeyEntry<RoiFile> kHeaderKeys[] = {
    {"FileVersion:", "FileVersion", &RoiFile::FileVersion},
    {"SaveVoxelsInROIs:", "SaveVoxelsInROIs", &RoiFile::SaveVoxelsInROIs},
    {"SaveSortedVoxelList:", "SaveSortedVoxelList", &RoiFile::SaveSortedVoxelList},
    {"SaveROIMaxPSC:", "SaveROIMaxPSC", &RoiFile::SaveROIMaxPSC},
    {kHeaderEnd, "NrOfTCPlots", &RoiFile::NrOfTCPlots},
};

const KeyEntry<RoiPlot> kPlotKeys[] = {
    {"NrOfTCs:", "NrOfTCs", &RoiPlot::NrOfTCs},
    {"FromSlice:", "FromSlice", &RoiPlot::FromSlice},
    {"Left:", "Left", &RoiPlot::Left},
    {"Right:", "Right", &RoiPlot::Right},
    {"Top:", "Top", &RoiPlot::Top},
    {"Bottom:", "Bottom", &RoiPlot::Bottom},
    {kPlotEnd, "NrOfVoxels", &RoiPlot::NrOfVoxels},
};

// The smallest written triple is three one-digit numbers with a separator after each
// ("0 0 0\n"), so the file can hold no more than a sixth of its bytes in triples (plus
// one that ends the file without a line end).
std::size_t triplesThatFit(std::uint64_t bytes) { return static_cast<std::size_t>(bytes / 6 + 1); }

void readVoxels(std::istream& in, std::uint64_t fileBytes, RoiPlot& plot) {
    const std::int32_t count = plot.NrOfVoxels.value;
    if (count <= 0) return;
    const std::size_t promised = static_cast<std::size_t>(count);
    const std::size_t fit = triplesThatFit(fileBytes);
    plot.voxels.reserve(promised < fit ? promised : fit);
    for (std::int32_t i = 0; i < count; ++i) {
        VoxelTriple voxel;
        // A triple that was not in the file completely never becomes a voxel.
        if (!readNumber(in, voxel.x) || !readNumber(in, voxel.y) || !readNumber(in, voxel.z)) return;
        plot.voxels.push_back(voxel);
    }
}

}  // namespace

KeyTable<RoiFile> roiHeaderKeys() { return makeKeyTable(kHeaderKeys, kHeaderEnd); }
KeyTable<RoiPlot> roiPlotKeys() { return makeKeyTable(kPlotKeys, kPlotEnd); }

RoiFile readRoiFile(const std::string& path) {
    RoiFile roi;
    roi.path = path;
    roi.FileVersion.value = -1;
    std::ifstream in = openForReading(path);
    // 0 when the size cannot be told: the voxel lists then grow as they are read.
    const std::uint64_t bytes = fileSize(path).value_or(0);
    scanKeys(in, roiHeaderKeys(), roi);

    // Each plot needs at least its "NrOfVoxels:" entry, so a hostile NrOfTCPlots ends at
    // the end of the file, where the stream stops being good.
    const KeyTable<RoiPlot> plotKeys = roiPlotKeys();
    for (std::int32_t i = 0; i < roi.NrOfTCPlots.value; ++i) {
        RoiPlot plot;
        scanKeys(in, plotKeys, plot);
        if (!in.good()) break;
        readVoxels(in, bytes, plot);
        roi.plots.push_back(std::move(plot));
    }
    return roi;
}

}  // namespace zandrel
