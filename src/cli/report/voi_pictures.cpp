#include "cli/report/voi_pictures.h"

#include <algorithm>
#include <cmath>

namespace zandrel::report {

Window robustWindow(const VolumeGrid& image, double lowFraction, double highFraction) {
    // At most about 2^14 cells, evenly strided: the fractions of a large image are found as
    // well from a sample, at a fraction of the cost.
    const std::size_t stride = std::max<std::size_t>(1, image.cellCount() >> 14);
    std::vector<float> values;
    values.reserve(image.cellCount() / stride + 1);
    for (std::size_t c = 0; c < image.cellCount(); c += stride)
        if (std::isfinite(image.data()[c])) values.push_back(image.data()[c]);
    if (values.empty()) return {};
    const auto at = [&](double fraction) {
        const std::size_t n = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
        std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(n), values.end());
        return values[n];
    };
    const float low = at(lowFraction);
    const float high = at(highFraction);
    return {low, high};
}

std::uint8_t greyLevel(float value, const Window& window) {
    if (!std::isfinite(value)) return 0;
    if (!(window.high > window.low)) return value >= window.high ? 255 : 0;
    const double t = (static_cast<double>(value) - window.low) / (static_cast<double>(window.high) - window.low);
    return static_cast<std::uint8_t>(std::clamp(t, 0.0, 1.0) * 255.0 + 0.5);
}

std::array<std::int32_t, 3> cutPoint(Cut cut, std::int32_t position, std::int32_t x, std::int32_t y) {
    switch (cut) {
        case Cut::sagittal: return {x, y, position};
        case Cut::coronal: return {position, y, x};
        case Cut::axial: return {y, position, x};
    }
    return {x, y, position};
}

RgbImage renderCut(const TargetMapping& mapping, const VolumeGrid& functional, const Window& window,
                   const std::vector<std::array<std::int32_t, 3>>& voiPoints, Cut cut, std::int32_t position,
                   const Rgb& colour) {
    constexpr std::int32_t size = kCutSize;
    RgbImage image(size, size);
    std::array<std::int32_t, 3> cell{};
    for (std::int32_t y = 0; y < size; ++y) {
        for (std::int32_t x = 0; x < size; ++x) {
            const std::array<std::int32_t, 3> p = cutPoint(cut, position, x * kCutStep, y * kCutStep);
            if (!mapping.cellOf(p[0], p[1], p[2], cell) || !functional.contains(cell[0], cell[1], cell[2])) continue;
            const std::uint8_t g = greyLevel(functional.get(cell[0], cell[1], cell[2]), window);
            image.set(x, y, {g, g, g});
        }
    }
    // The fixed index of each cut, and which indices give its column and row.
    const std::size_t fixed = cut == Cut::sagittal ? 2 : cut == Cut::coronal ? 0 : 1;
    const std::size_t column = cut == Cut::sagittal ? 0 : 2;
    const std::size_t row = cut == Cut::axial ? 0 : 1;
    std::vector<bool> inside(static_cast<std::size_t>(size) * size, false);
    for (const std::array<std::int32_t, 3>& p : voiPoints) {
        if (p[fixed] != position) continue;
        if (p[column] < 0 || p[column] >= kAnatomicalGridSize || p[row] < 0 || p[row] >= kAnatomicalGridSize) continue;
        inside[static_cast<std::size_t>(p[row] / kCutStep) * size + static_cast<std::size_t>(p[column] / kCutStep)] = true;
    }
    drawOutline(image, inside, colour);
    return image;
}

std::int32_t busiestSlice(const RoiPlot& plot, std::int32_t slices) {
    if (slices <= 0) return -1;
    std::vector<std::int64_t> counts(static_cast<std::size_t>(slices), 0);
    for (const VoxelTriple& v : plot.voxels)
        if (v.z >= 0 && v.z < slices) ++counts[static_cast<std::size_t>(v.z)];
    const auto most = std::max_element(counts.begin(), counts.end());
    return *most == 0 ? -1 : static_cast<std::int32_t>(most - counts.begin());
}

RgbImage renderFunctionalSlice(const VolumeGrid& functional, const Window& window, const RoiPlot& plot,
                               std::int32_t slice, std::int32_t scale, const Rgb& colour) {
    const std::int32_t w = functional.dimX() * scale;
    const std::int32_t h = functional.dimY() * scale;
    RgbImage image(w, h);
    std::vector<bool> marked(static_cast<std::size_t>(functional.dimX()) * static_cast<std::size_t>(functional.dimY()), false);
    for (const VoxelTriple& v : plot.voxels)
        if (v.z == slice && functional.contains(v.x, v.y, v.z))
            marked[static_cast<std::size_t>(v.y) * static_cast<std::size_t>(functional.dimX()) + static_cast<std::size_t>(v.x)] = true;
    std::vector<bool> inside(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), false);
    for (std::int32_t y = 0; y < h; ++y) {
        for (std::int32_t x = 0; x < w; ++x) {
            const std::int32_t cx = x / scale;
            const std::int32_t cy = y / scale;
            const std::uint8_t g = greyLevel(functional.get(cx, cy, slice), window);
            image.set(x, y, {g, g, g});
            inside[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] =
                marked[static_cast<std::size_t>(cy) * static_cast<std::size_t>(functional.dimX()) + static_cast<std::size_t>(cx)];
        }
    }
    drawOutline(image, inside, colour);
    return image;
}

void drawOutline(RgbImage& image, const std::vector<bool>& inside, const Rgb& colour) {
    const auto in = [&](std::int32_t x, std::int32_t y) {
        if (x < 0 || y < 0 || x >= image.width || y >= image.height) return false;
        return static_cast<bool>(inside[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)]);
    };
    for (std::int32_t y = 0; y < image.height; ++y)
        for (std::int32_t x = 0; x < image.width; ++x)
            if (in(x, y) && (!in(x - 1, y) || !in(x + 1, y) || !in(x, y - 1) || !in(x, y + 1))) image.set(x, y, colour);
}

}  // namespace zandrel::report
