#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "cli/report/rgb_image.h"
#include "cli/report/target_mapping.h"
#include "formats/roi_file.h"
#include "geometry/volume_grid.h"

namespace zandrel::report {

// Grey levels of the functional image: `low` and below black, `high` and above white.
struct Window {
    float low = 0.0f;
    float high = 1.0f;
};

// The window between two fractions of the sorted finite values (robust against a few
// extreme cells); {0, 1} for an image without finite values.
Window robustWindow(const VolumeGrid& image, double lowFraction = 0.02, double highFraction = 0.98);

std::uint8_t greyLevel(float value, const Window& window);

// The three cuts of the target grid, each named by the index it holds fixed.
enum class Cut {
    sagittal,  // fixed k; columns i (anterior to posterior), rows j (superior to inferior)
    coronal,   // fixed i; columns k (right to left), rows j (superior to inferior)
    axial,     // fixed j; columns k (right to left), rows i (anterior to posterior)
};

// Grid indices (i, j, k) of the point shown at column x, row y of a cut at `position`.
std::array<std::int32_t, 3> cutPoint(Cut cut, std::int32_t position, std::int32_t x, std::int32_t y);

// A 256 x 256 cut: every pixel the windowed value of the functional cell its target point
// samples (black where it lands outside the functional grid), and the outline of the VOI
// (target grid indices `voiPoints`) in `colour`.
RgbImage renderCut(const TargetMapping& mapping, const VolumeGrid& functional, const Window& window,
                   const std::vector<std::array<std::int32_t, 3>>& voiPoints, Cut cut, std::int32_t position,
                   const Rgb& colour);

// The slice holding most of the plot's voxels that lie in a grid of `slices` slices
// (the lowest such slice on a tie); -1 when none does.
std::int32_t busiestSlice(const RoiPlot& plot, std::int32_t slices);

// Slice `slice` of the functional image, each cell `scale` x `scale` pixels, with the
// outline of the plot's voxels on that slice in `colour`.
RgbImage renderFunctionalSlice(const VolumeGrid& functional, const Window& window, const RoiPlot& plot,
                               std::int32_t slice, std::int32_t scale, const Rgb& colour);

// Marks in `colour` every pixel inside the region (`inside`, one flag per pixel) that has a
// 4-neighbour outside it or lies on the picture's edge.
void drawOutline(RgbImage& image, const std::vector<bool>& inside, const Rgb& colour);

}  // namespace zandrel::report
