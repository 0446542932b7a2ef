#include "outputs/report/voi_pictures.h"

#include <algorithm>
#include <cmath>

namespace zandrel::report {

Window robustWindow(const VolumeGrid& image, double lowFraction, double highFraction) {
    // At most about 2^12 cells, evenly strided: the fractions of a large image are found as
    // well from a sample, at a fraction of the cost.
    const std::size_t stride = std::max<std::size_t>(1, image.cellCount() >> 12);
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

GreyScale::GreyScale(const Window& window) : window_(window) {
    if (window.high > window.low) factor_ = 1.0 / (static_cast<double>(window.high) - window.low);
}

std::uint8_t GreyScale::operator()(float value) const {
    if (!std::isfinite(value)) return 0;
    if (factor_ == 0.0) return value >= window_.high ? kLightestGrey : 0;
    const double t = (static_cast<double>(value) - window_.low) * factor_;
    return static_cast<std::uint8_t>(std::clamp(t, 0.0, 1.0) * kLightestGrey + 0.5);
}

GridPlane planeOf(Cut cut, std::int32_t position) {
    GridPlane plane;
    plane.position = position;
    plane.step = kCutStep;
    plane.columns = kCutSize;
    plane.rows = kCutSize;
    switch (cut) {
        case Cut::sagittal: plane.fixedAxis = 2; plane.columnAxis = 0; plane.rowAxis = 1; break;
        case Cut::coronal: plane.fixedAxis = 0; plane.columnAxis = 2; plane.rowAxis = 1; break;
        case Cut::axial: plane.fixedAxis = 1; plane.columnAxis = 2; plane.rowAxis = 0; break;
    }
    return plane;
}

RgbImage renderCut(const TargetMapping& mapping, const VolumeGrid& functional, const Window& window,
                   const std::vector<std::array<std::int32_t, 3>>& voiPoints, Cut cut, std::int32_t position,
                   const Rgb& colour) {
    constexpr std::int32_t size = kCutSize;
    RgbImage image(size, size);
    const GridPlane plane = planeOf(cut, position);
    // The cells are indices into the grid the mapping was made for: the image must be it.
    if (functional.dimX() == mapping.dim(0) && functional.dimY() == mapping.dim(1) && functional.dimZ() == mapping.dim(2)) {
        std::vector<std::int64_t> cells;
        mapping.planeCells(plane, cells);
        const GreyScale grey(window);
        std::uint8_t* pixel = image.pixels.data();
        for (const std::int64_t cell : cells) {
            if (cell >= 0) {
                const std::uint8_t g = grey(functional.data()[cell]);
                pixel[0] = pixel[1] = pixel[2] = g;
            }
            pixel += 3;
        }
    }
    const auto fixed = static_cast<std::size_t>(plane.fixedAxis);
    const auto column = static_cast<std::size_t>(plane.columnAxis);
    const auto row = static_cast<std::size_t>(plane.rowAxis);
    std::vector<std::uint8_t> inside(static_cast<std::size_t>(size) * size, 0);
    for (const std::array<std::int32_t, 3>& p : voiPoints) {
        if (p[fixed] != position) continue;
        if (p[column] < 0 || p[column] >= kAnatomicalGridSize || p[row] < 0 || p[row] >= kAnatomicalGridSize) continue;
        inside[static_cast<std::size_t>(p[row] / kCutStep) * size + static_cast<std::size_t>(p[column] / kCutStep)] = 1;
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
    std::vector<std::uint8_t> marked(static_cast<std::size_t>(functional.dimX()) * static_cast<std::size_t>(functional.dimY()), 0);
    for (const VoxelTriple& v : plot.voxels)
        if (v.z == slice && functional.contains(v.x, v.y, v.z))
            marked[static_cast<std::size_t>(v.y) * static_cast<std::size_t>(functional.dimX()) + static_cast<std::size_t>(v.x)] = 1;
    std::vector<std::uint8_t> inside(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0);
    const GreyScale grey(window);
    for (std::int32_t y = 0; y < h; ++y) {
        for (std::int32_t x = 0; x < w; ++x) {
            const std::int32_t cx = x / scale;
            const std::int32_t cy = y / scale;
            const std::uint8_t g = grey(functional.get(cx, cy, slice));
            image.set(x, y, {g, g, g});
            inside[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] =
                marked[static_cast<std::size_t>(cy) * static_cast<std::size_t>(functional.dimX()) + static_cast<std::size_t>(cx)];
        }
    }
    drawOutline(image, inside, colour);
    return image;
}

RgbImage composeFigure(const std::vector<RgbImage>& panels) {
    std::int32_t width = kFigureGap;
    std::int32_t height = 0;
    for (const RgbImage& panel : panels) {
        width += panel.width + kFigureGap;
        height = std::max(height, panel.height);
    }
    RgbImage figure(width, height + 2 * kFigureGap);
    for (std::size_t at = 0; at < figure.pixels.size(); at += 3)
        std::copy(kFrameColour.begin(), kFrameColour.end(), figure.pixels.begin() + static_cast<std::ptrdiff_t>(at));
    std::int32_t left = kFigureGap;
    const auto rowBytes = [](std::int32_t pixels) { return static_cast<std::size_t>(pixels) * 3u; };
    for (const RgbImage& panel : panels) {
        for (std::int32_t y = 0; y < panel.height; ++y)
            std::copy_n(panel.pixels.begin() + static_cast<std::ptrdiff_t>(rowBytes(y * panel.width)), rowBytes(panel.width),
                        figure.pixels.begin() + static_cast<std::ptrdiff_t>(rowBytes((y + kFigureGap) * width + left)));
        left += panel.width + kFigureGap;
    }
    return figure;
}

void drawOutline(RgbImage& image, const std::vector<std::uint8_t>& inside, const Rgb& colour) {
    const auto in = [&](std::int32_t x, std::int32_t y) {
        if (x < 0 || y < 0 || x >= image.width || y >= image.height) return false;
        return inside[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) + static_cast<std::size_t>(x)] != 0;
    };
    for (std::int32_t y = 0; y < image.height; ++y)
        for (std::int32_t x = 0; x < image.width; ++x)
            if (in(x, y) && (!in(x - 1, y) || !in(x + 1, y) || !in(x, y - 1) || !in(x, y + 1))) image.set(x, y, colour);
}

}  // namespace zandrel::report
