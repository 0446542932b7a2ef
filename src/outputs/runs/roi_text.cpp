#include "outputs/runs/roi_text.h"

#include <algorithm>
#include <cstddef>

namespace zandrel {

namespace {

constexpr std::size_t kHeaderKeyColumn = 22;
constexpr std::size_t kPlotKeyColumn = 13;

// "Key:" left-justified in `column` characters, at least one blank after it, then the value.
void appendEntry(std::string& text, const char* key, long long value, std::size_t column) {
    std::string word = std::string(key) + ":";
    word.append(word.size() < column ? column - word.size() : 1, ' ');
    text += word + std::to_string(value) + "\n";
}

}  // namespace

std::string roiFileText(const std::vector<std::vector<VoxelTriple>>& plots) {
    std::string text = "\n";
    appendEntry(text, "FileVersion", 6, kHeaderKeyColumn);
    text += "\n";
    appendEntry(text, "SaveVoxelsInROIs", 1, kHeaderKeyColumn);
    appendEntry(text, "SaveSortedVoxelList", 1, kHeaderKeyColumn);
    appendEntry(text, "SaveROIMaxPSC", 0, kHeaderKeyColumn);
    text += "\n";
    appendEntry(text, "NrOfTCPlots", static_cast<long long>(plots.size()), kHeaderKeyColumn);
    for (const std::vector<VoxelTriple>& voxels : plots) {
        VoxelTriple low, high;
        if (!voxels.empty()) low = high = voxels.front();
        for (const VoxelTriple& v : voxels) {
            low = {std::min(low.x, v.x), std::min(low.y, v.y), std::min(low.z, v.z)};
            high = {std::max(high.x, v.x), std::max(high.y, v.y), std::max(high.z, v.z)};
        }
        text += "\n";
        appendEntry(text, "NrOfTCs", 1, kPlotKeyColumn);
        appendEntry(text, "FromSlice", low.z, kPlotKeyColumn);
        appendEntry(text, "Left", low.x, kPlotKeyColumn);
        appendEntry(text, "Right", high.x, kPlotKeyColumn);
        appendEntry(text, "Top", low.y, kPlotKeyColumn);
        appendEntry(text, "Bottom", high.y, kPlotKeyColumn);
        appendEntry(text, "NrOfVoxels", static_cast<long long>(voxels.size()), kPlotKeyColumn);
        for (const VoxelTriple& v : voxels)
            text += std::to_string(v.x) + " " + std::to_string(v.y) + " " + std::to_string(v.z) + "\n";
    }
    return text;
}

}  // namespace zandrel
