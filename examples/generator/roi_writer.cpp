#include <algorithm>

#include "generator/subject_writers.h"
#include "generator/text_output.h"

namespace zandrel::studygen {

namespace {

constexpr int kKeyColumn = 22;
constexpr int kPlotKeyColumn = 13;

}  // namespace

// Header, then per plot its bounding box (FromSlice: first slice; Left/Right: columns;
// Top/Bottom: rows) and the voxel list, one "column row slice" triple per line.
void writeRoiFile(const SubjectPlan& plan, const SubjectModel& model, const std::string& path) {
    KeyedTextBuilder text(plan.crlf, kKeyColumn);
    text.line();
    text.entry("FileVersion", 6);
    text.line();
    text.entry("SaveVoxelsInROIs", 1);
    text.entry("SaveSortedVoxelList", plan.sortedVoxels ? 1 : 0);
    text.entry("SaveROIMaxPSC", 0);
    text.line();
    text.entry("NrOfTCPlots", static_cast<long long>(model.plots.size()));
    for (const Plot& plot : model.plots) {
        int low[3] = {plot.voxels.front()[0], plot.voxels.front()[1], plot.voxels.front()[2]};
        int high[3] = {low[0], low[1], low[2]};
        for (const Voxel& v : plot.voxels)
            for (int i = 0; i < 3; ++i) {
                low[i] = std::min(low[i], v[i]);
                high[i] = std::max(high[i], v[i]);
            }
        text.setWidth(kPlotKeyColumn);
        text.line();
        text.entry("NrOfTCs", 1);
        text.entry("FromSlice", low[2]);
        text.entry("Left", low[0]);
        text.entry("Right", high[0]);
        text.entry("Top", low[1]);
        text.entry("Bottom", high[1]);
        text.entry("NrOfVoxels", static_cast<long long>(plot.voxels.size()));
        for (const Voxel& v : plot.voxels)
            text.line(std::to_string(v[0]) + " " + std::to_string(v[1]) + " " + std::to_string(v[2]));
    }
    writeBinaryFile(path, text.text());
}

}  // namespace zandrel::studygen
