#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "outputs/report/rgb_image.h"
#include "outputs/report/target_mapping.h"
#include "formats/roi_file.h"
#include "geometry/volume_grid.h"

namespace zandrel::report {

// Grey levels of the functional image: `low` and below black, `high` and above white.
struct Window {
    float low = 0.0f;
    float high = 1.0f;
};

// The window between two fractions of the sorted finite values (robust against a few
// extreme cells), of every cell up to 2^13 cells and of an evenly strided sample of about
// 2^12 cells beyond; {0, 1} for an image without finite values.
Window robustWindow(const VolumeGrid& image, double lowFraction = 0.02, double highFraction = 0.98);

// The lightest grey of a picture. The two lighter levels are kept off the pictures, so a
// figure (every grey, its white frame, labels and halos in black and white, and one outline
// colour) always fits a palette of 256 colours: a third of the bytes of RGB rows to
// compress, every colour exact.
constexpr std::uint8_t kLightestGrey = 253;
constexpr Rgb kFrameColour = {255, 255, 255};

// The grey level of a value under a window: 0 at `low` and below (and for a value that is
// not finite), kLightestGrey at `high` and above, linear between.
class GreyScale {
public:
    explicit GreyScale(const Window& window);
    std::uint8_t operator()(float value) const;

private:
    Window window_;
    double factor_ = 0.0;  // 1 / (high - low); 0 for a window without width
};

inline std::uint8_t greyLevel(float value, const Window& window) { return GreyScale(window)(value); }

// The three cuts of the target grid, each named by the index it holds fixed.
enum class Cut {
    sagittal,  // fixed k; columns i (anterior to posterior), rows j (superior to inferior)
    coronal,   // fixed i; columns k (right to left), rows j (superior to inferior)
    axial,     // fixed j; columns k (right to left), rows i (anterior to posterior)
};

// Grid points between the samples of a cut, along each axis. A functional voxel spans about
// three points of the 1 mm grid, so every third point keeps the image's detail at a ninth of
// the mapping cost; each sample is then drawn as a block of kCutScale x kCutScale pixels.
constexpr std::int32_t kCutStep = 3;
constexpr std::int32_t kCutSamples = (kAnatomicalGridSize - 1) / kCutStep + 1;  // points 0, 3, ..., 255
constexpr std::int32_t kCutScale = 3;
constexpr std::int32_t kCutSize = kCutSamples * kCutScale;  // pixels along each side of a cut

// The long side of every panel is at least this many pixels: a functional slice's cells are
// drawn as squares of the smallest whole number of pixels that reaches it.
constexpr std::int32_t kLeastPanelSide = 256;
std::int32_t functionalScale(std::int32_t columns, std::int32_t rows);

// The plane of the target grid a cut at `position` shows, every kCutStep points,
// kCutSamples samples a side.
GridPlane planeOf(Cut cut, std::int32_t position);

// A kCutSize x kCutSize cut: each sample the windowed value of the functional cell that its
// point of planeOf(cut, position) samples (black where it lands outside the functional
// grid), a block of kCutScale x kCutScale pixels, and the outline (drawOutline) in `colour`
// of the samples that are a point of the VOI (target grid indices `voiPoints`). Drawn into
// `picture`, whose memory is reused.
void renderCut(const TargetMapping& mapping, const VolumeGrid& functional, const Window& window,
               const std::vector<std::array<std::int32_t, 3>>& voiPoints, Cut cut, std::int32_t position,
               const Rgb& colour, RgbImage& picture);

// The slice holding most of the plot's voxels that lie in a grid of `slices` slices
// (the lowest such slice on a tie); -1 when none does.
std::int32_t busiestSlice(const RoiPlot& plot, std::int32_t slices);

// Slice `slice` of the functional image, each cell `scale` x `scale` pixels, with the
// outline (drawOutline) in `colour` of the cells of the plot's voxels on that slice. Drawn
// into `picture`, whose memory is reused.
void renderFunctionalSlice(const VolumeGrid& functional, const Window& window, const RoiPlot& plot,
                           std::int32_t slice, std::int32_t scale, const Rgb& colour, RgbImage& picture);

// `image` with each pixel drawn as a block of `scale` x `scale` pixels (no smoothing), into
// `scaled`, whose memory is reused.
void scaleUp(const RgbImage& image, std::int32_t scale, RgbImage& scaled);

// Pixels of frame around and between the panels of a figure.
constexpr std::int32_t kFigureGap = 2;

// One figure of the panels side by side, left to right, each at the top of its place, on a
// frame of kFigureGap pixels of kFrameColour around and between them: panel n's left edge
// is at kFigureGap + the sum over earlier panels of (width + kFigureGap), its top at
// kFigureGap.
RgbImage composeFigure(const std::vector<RgbImage>& panels);
// The same of the first `count` panels, into `figure`, whose memory is reused: a thread
// drawing figure after figure touches fresh memory only for the first.
void composeFigure(const std::vector<RgbImage>& panels, std::size_t count, RgbImage& figure);

// Width of an outline in pixels, inside the region it surrounds.
constexpr std::int32_t kOutlineWidth = 2;

// The halo around an outline in `colour`: black or white, whichever contrasts more with it.
// On a background of the halo's colour the outline itself stands out; on the other one the
// halo does. Either is a colour every figure holds already (the grey scale's black, the
// frame's white), so the halo adds none to the figure's palette.
Rgb haloColour(const Rgb& colour);

// The contrast ratio of two colours, from 1 (the same luminance) to 21 (black and white):
// (L1 + 0.05) / (L2 + 0.05) of their relative luminances, the lighter above.
double contrastRatio(const Rgb& a, const Rgb& b);

// Outlines the region made of the marked cells (`cells`: one flag per cell of a picture
// drawn `scale` x `scale` pixels a cell, row by row): every pixel of the region within
// kOutlineWidth pixels, along a row or a column, of a pixel outside it or of the picture's
// edge becomes `colour`, and every other pixel that touches one of those (8-neighbours)
// becomes haloColour(colour).
void drawOutline(RgbImage& image, const std::vector<std::uint8_t>& cells, std::int32_t scale, const Rgb& colour);

}  // namespace zandrel::report
