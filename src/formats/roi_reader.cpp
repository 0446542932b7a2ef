// The ROI file reader: a header phase, then one phase per time-course plot.
#include <cstdint>
#include <string>

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

// Bytes between the read position and the end of the file; 0 when it cannot be told.
std::uint64_t bytesLeft(std::istream& in) {
    const std::streampos here = in.tellg();
    if (here == std::streampos(-1)) return 0;
    in.seekg(0, std::ios::end);
    const std::streampos end = in.tellg();
    in.seekg(here);
    if (!in || end == std::streampos(-1) || end < here) {
        in.clear();
        in.seekg(here);
        return 0;
    }
    return static_cast<std::uint64_t>(end - here);
}

// The smallest written triple is three one-digit numbers with a separator after each
// ("0 0 0\n"), so the file can hold no more than a sixth of its remaining bytes in
// triples (plus one that ends the file without a line end).
std::size_t triplesThatFit(std::uint64_t bytes) { return static_cast<std::size_t>(bytes / 6 + 1); }

void readVoxels(std::istream& in, RoiPlot& plot) {
    const std::int32_t count = plot.NrOfVoxels.value;
    if (count <= 0) return;
    const std::size_t promised = static_cast<std::size_t>(count);
    const std::size_t fit = triplesThatFit(bytesLeft(in));
    plot.voxels.reserve(promised < fit ? promised : fit);
    for (std::int32_t i = 0; i < count; ++i) {
        VoxelTriple voxel;
        // A triple that was not in the file completely never becomes a voxel.
        if (!readNumber(in, voxel.x) || !readNumber(in, voxel.y) || !readNumber(in, voxel.z)) return;
        plot.voxels.push_back(voxel);
    }
}

}  // namespace

KeyTable<RoiFile> roiHeaderKeys() { return makeKeyTable(kHeaderKeys); }
KeyTable<RoiPlot> roiPlotKeys() { return makeKeyTable(kPlotKeys); }

RoiFile readRoiFile(const std::string& path) {
    RoiFile roi;
    roi.path = path;
    roi.FileVersion.value = -1;
    std::ifstream in = openForReading(path);

    const KeyTable<RoiFile> headerKeys = roiHeaderKeys();
    std::string word;
    while (word != kHeaderEnd && in.good()) {
        if (!readWord(in, word)) break;
        readKeyedEntry(in, word, headerKeys, roi);
    }

    // Each plot needs at least its "NrOfVoxels:" entry, so a hostile NrOfTCPlots ends at
    // the end of the file, where the stream stops being good.
    const KeyTable<RoiPlot> plotKeys = roiPlotKeys();
    for (std::int32_t i = 0; i < roi.NrOfTCPlots.value; ++i) {
        RoiPlot plot;
        word.clear();
        while (word != kPlotEnd && in.good()) {
            if (!readWord(in, word)) break;
            readKeyedEntry(in, word, plotKeys, plot);
        }
        if (!in.good()) break;
        readVoxels(in, plot);
        roi.plots.push_back(std::move(plot));
    }
    return roi;
}

}  // namespace zandrel
