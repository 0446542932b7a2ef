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

std::int32_t functionalScale(std::int32_t columns, std::int32_t rows) {
    const std::int32_t longest = std::max(columns, rows);
    if (longest <= 0) return 1;
    return std::max(1, (kLeastPanelSide + longest - 1) / longest);
}

GridPlane planeOf(Cut cut, std::int32_t position) {
    GridPlane plane;
    plane.position = position;
    plane.step = kCutStep;
    plane.columns = kCutSamples;
    plane.rows = kCutSamples;
    switch (cut) {
        case Cut::sagittal: plane.fixedAxis = 2; plane.columnAxis = 0; plane.rowAxis = 1; break;
        case Cut::coronal: plane.fixedAxis = 0; plane.columnAxis = 2; plane.rowAxis = 1; break;
        case Cut::axial: plane.fixedAxis = 1; plane.columnAxis = 2; plane.rowAxis = 0; break;
    }
    return plane;
}

void renderCut(const TargetMapping& mapping, const VolumeGrid& functional, const Window& window,
               const std::vector<std::array<std::int32_t, 3>>& voiPoints, Cut cut, std::int32_t position,
               const Rgb& colour, RgbImage& picture) {
    constexpr std::int32_t samples = kCutSamples;
    RgbImage image(samples, samples);
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
    std::vector<std::uint8_t> inside(static_cast<std::size_t>(samples) * samples, 0);
    for (const std::array<std::int32_t, 3>& p : voiPoints) {
        if (p[fixed] != position) continue;
        if (p[column] < 0 || p[column] >= kAnatomicalGridSize || p[row] < 0 || p[row] >= kAnatomicalGridSize) continue;
        inside[static_cast<std::size_t>(p[row] / kCutStep) * samples + static_cast<std::size_t>(p[column] / kCutStep)] = 1;
    }
    scaleUp(image, kCutScale, picture);
    drawOutline(picture, inside, kCutScale, colour);
}

std::int32_t busiestSlice(const RoiPlot& plot, std::int32_t slices) {
    if (slices <= 0) return -1;
    std::vector<std::int64_t> counts(static_cast<std::size_t>(slices), 0);
    for (const VoxelTriple& v : plot.voxels)
        if (v.z >= 0 && v.z < slices) ++counts[static_cast<std::size_t>(v.z)];
    const auto most = std::max_element(counts.begin(), counts.end());
    return *most == 0 ? -1 : static_cast<std::int32_t>(most - counts.begin());
}

void renderFunctionalSlice(const VolumeGrid& functional, const Window& window, const RoiPlot& plot,
                           std::int32_t slice, std::int32_t scale, const Rgb& colour, RgbImage& picture) {
    const std::int32_t columns = functional.dimX();
    const std::int32_t rows = functional.dimY();
    RgbImage cells(columns, rows);
    std::vector<std::uint8_t> marked(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), 0);
    for (const VoxelTriple& v : plot.voxels)
        if (v.z == slice && functional.contains(v.x, v.y, v.z))
            marked[static_cast<std::size_t>(v.y) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(v.x)] = 1;
    const GreyScale grey(window);
    for (std::int32_t y = 0; y < rows; ++y)
        for (std::int32_t x = 0; x < columns; ++x) {
            const std::uint8_t g = grey(functional.get(x, y, slice));
            cells.set(x, y, {g, g, g});
        }
    scaleUp(cells, std::max(1, scale), picture);
    drawOutline(picture, marked, std::max(1, scale), colour);
}

void scaleUp(const RgbImage& image, std::int32_t scale, RgbImage& scaled) {
    if (scale <= 1) {
        scaled = image;
        return;
    }
    scaled.width = image.width * scale;
    scaled.height = image.height * scale;
    scaled.pixels.resize(static_cast<std::size_t>(scaled.width) * static_cast<std::size_t>(scaled.height) * 3u);
    const auto rowBytes = static_cast<std::size_t>(scaled.width) * 3u;
    for (std::int32_t y = 0; y < image.height; ++y) {
        std::uint8_t* out = scaled.pixels.data() + static_cast<std::size_t>(y * scale) * rowBytes;
        const std::uint8_t* in = image.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) * 3u;
        for (std::int32_t x = 0; x < image.width; ++x, in += 3)
            for (std::int32_t n = 0; n < scale; ++n, out += 3) std::copy_n(in, 3, out);
        // The other rows of the block are copies of the first.
        const std::uint8_t* first = scaled.pixels.data() + static_cast<std::size_t>(y * scale) * rowBytes;
        for (std::int32_t n = 1; n < scale; ++n)
            std::copy_n(first, rowBytes, scaled.pixels.data() + static_cast<std::size_t>(y * scale + n) * rowBytes);
    }
}

RgbImage composeFigure(const std::vector<RgbImage>& panels) {
    RgbImage figure;
    composeFigure(panels, panels.size(), figure);
    return figure;
}

void composeFigure(const std::vector<RgbImage>& panels, std::size_t count, RgbImage& figure) {
    count = std::min(count, panels.size());
    std::int32_t width = kFigureGap;
    std::int32_t height = 0;
    for (std::size_t n = 0; n < count; ++n) {
        const RgbImage& panel = panels[n];
        width += panel.width + kFigureGap;
        height = std::max(height, panel.height);
    }
    figure.width = width;
    figure.height = height + 2 * kFigureGap;
    static_assert(kFrameColour[0] == kFrameColour[1] && kFrameColour[1] == kFrameColour[2], "a grey frame");
    figure.pixels.assign(static_cast<std::size_t>(figure.width) * static_cast<std::size_t>(figure.height) * 3u, kFrameColour[0]);
    std::int32_t left = kFigureGap;
    const auto rowBytes = [](std::int32_t pixels) { return static_cast<std::size_t>(pixels) * 3u; };
    for (std::size_t n = 0; n < count; ++n) {
        const RgbImage& panel = panels[n];
        for (std::int32_t y = 0; y < panel.height; ++y)
            std::copy_n(panel.pixels.begin() + static_cast<std::ptrdiff_t>(rowBytes(y * panel.width)), rowBytes(panel.width),
                        figure.pixels.begin() + static_cast<std::ptrdiff_t>(rowBytes((y + kFigureGap) * width + left)));
        left += panel.width + kFigureGap;
    }
}

namespace {

double linearChannel(std::uint8_t value) {
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const Rgb& colour) {
    return 0.2126 * linearChannel(colour[0]) + 0.7152 * linearChannel(colour[1]) + 0.0722 * linearChannel(colour[2]);
}

}  // namespace

double contrastRatio(const Rgb& a, const Rgb& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgb haloColour(const Rgb& colour) {
    constexpr Rgb black = {0, 0, 0};
    constexpr Rgb white = {255, 255, 255};
    return contrastRatio(colour, white) > contrastRatio(colour, black) ? white : black;
}

void drawOutline(RgbImage& image, const std::vector<std::uint8_t>& cells, std::int32_t scale, const Rgb& colour) {
    if (scale <= 0 || image.width <= 0 || image.height <= 0) return;
    const std::int32_t columns = image.width / scale;
    const std::int32_t rows = image.height / scale;
    // Only the pixels near the marked cells can change: a box around them, with room for
    // the halo.
    std::int32_t lowColumn = columns, highColumn = -1, lowRow = rows, highRow = -1;
    for (std::int32_t cy = 0; cy < rows; ++cy)
        for (std::int32_t cx = 0; cx < columns; ++cx)
            if (cells[static_cast<std::size_t>(cy) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(cx)] != 0) {
                lowColumn = std::min(lowColumn, cx);
                highColumn = std::max(highColumn, cx);
                lowRow = std::min(lowRow, cy);
                highRow = std::max(highRow, cy);
            }
    if (highColumn < 0) return;
    const std::int32_t x0 = std::max(0, lowColumn * scale - 1);
    const std::int32_t x1 = std::min(image.width, (highColumn + 1) * scale + 1);
    const std::int32_t y0 = std::max(0, lowRow * scale - 1);
    const std::int32_t y1 = std::min(image.height, (highRow + 1) * scale + 1);
    const auto in = [&](std::int32_t x, std::int32_t y) {
        if (x < 0 || y < 0 || x >= columns * scale || y >= rows * scale) return false;
        return cells[static_cast<std::size_t>(y / scale) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(x / scale)] != 0;
    };
    const std::int32_t boxWidth = x1 - x0;
    std::vector<std::uint8_t> outline(static_cast<std::size_t>(boxWidth) * static_cast<std::size_t>(y1 - y0), 0);
    const auto onOutline = [&](std::int32_t x, std::int32_t y) {
        if (x < x0 || y < y0 || x >= x1 || y >= y1) return false;
        return outline[static_cast<std::size_t>(y - y0) * static_cast<std::size_t>(boxWidth) + static_cast<std::size_t>(x - x0)] != 0;
    };
    for (std::int32_t y = y0; y < y1; ++y)
        for (std::int32_t x = x0; x < x1; ++x) {
            if (!in(x, y)) continue;
            bool edge = false;
            for (std::int32_t d = 1; d <= kOutlineWidth && !edge; ++d)
                edge = !in(x - d, y) || !in(x + d, y) || !in(x, y - d) || !in(x, y + d);
            if (edge) outline[static_cast<std::size_t>(y - y0) * static_cast<std::size_t>(boxWidth) + static_cast<std::size_t>(x - x0)] = 1;
        }
    const Rgb halo = haloColour(colour);
    for (std::int32_t y = y0; y < y1; ++y)
        for (std::int32_t x = x0; x < x1; ++x) {
            if (onOutline(x, y)) {
                image.set(x, y, colour);
                continue;
            }
            bool touches = false;
            for (std::int32_t dy = -1; dy <= 1 && !touches; ++dy)
                for (std::int32_t dx = -1; dx <= 1 && !touches; ++dx) touches = onOutline(x + dx, y + dy);
            if (touches) image.set(x, y, halo);
        }
}

}  // namespace zandrel::report
