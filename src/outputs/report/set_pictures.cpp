#include "outputs/report/set_pictures.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "outputs/report/picture_text.h"
#include "outputs/report/target_mapping.h"
#include "outputs/report/voi_pictures.h"
#include "formats/time_course_sampler.h"

namespace zandrel::report {

namespace {

std::string padded(std::size_t number, int digits) {
    std::string text = std::to_string(number);
    if (text.size() < static_cast<std::size_t>(digits)) text.insert(0, static_cast<std::size_t>(digits) - text.size(), '0');
    return text;
}

// The target point nearest the mean of the VOI's grid indices; the grid centre for an empty VOI.
std::array<std::int32_t, 3> centreOf(const std::vector<std::array<std::int32_t, 3>>& points) {
    if (points.empty()) return {128, 128, 128};
    std::array<double, 3> sum{};
    for (const auto& p : points)
        for (std::size_t a = 0; a < 3; ++a) sum[a] += p[a];
    std::array<std::int32_t, 3> centre{};
    for (std::size_t a = 0; a < 3; ++a)
        centre[a] = std::clamp(static_cast<std::int32_t>(sum[a] / static_cast<double>(points.size()) + 0.5), 0, kAnatomicalGridSize - 1);
    return centre;
}

struct CutText {
    Cut cut;
    const char* title;
    char index;        // the grid index held fixed
    std::size_t axis;  // its position in (i, j, k)
    char world;        // the world coordinate it gives: 128 - index millimetres
    char left, right, top, bottom;  // the directions the picture's edges face
};

constexpr CutText kCuts[3] = {
    {Cut::sagittal, "Sagittal", 'k', 2, 'x', 'A', 'P', 'S', 'I'},
    {Cut::coronal, "Coronal", 'i', 0, 'y', 'R', 'L', 'S', 'I'},
    {Cut::axial, "Axial", 'j', 1, 'z', 'R', 'L', 'A', 'P'},
};

std::string cutCaption(const CutText& text, std::int32_t position, bool anatomicalSpace) {
    std::string caption = std::string(text.title) + " cut " + text.index + " = " + std::to_string(position);
    if (!anatomicalSpace) return caption + " of the native anatomical grid.";
    return caption + " (" + text.world + " = " + std::to_string(128 - position) + " mm); left " + text.left +
           ", right " + text.right + "; top " + text.top + ", bottom " + text.bottom + ".";
}

// The panel's title at its top-left corner, at the label size where it fits beside the top
// letter and at the font's own size otherwise.
void drawTitle(RgbImage& panel, const std::string& title) {
    const std::int32_t room = panel.width / 2 - kLabelMargin - textWidth("M", kLabelScale) / 2 - 2;
    drawText(panel, kLabelMargin, kLabelMargin, title, textWidth(title, kLabelScale) <= room ? kLabelScale : 1);
}

// The directions the panel's edges face, each letter at the middle of its edge.
void drawOrientation(RgbImage& panel, const CutText& text) {
    const std::int32_t w = textWidth("M", kLabelScale);
    const std::int32_t h = textHeight(kLabelScale);
    drawText(panel, kLabelMargin, (panel.height - h) / 2, std::string(1, text.left), kLabelScale);
    drawText(panel, panel.width - kLabelMargin - w, (panel.height - h) / 2, std::string(1, text.right), kLabelScale);
    drawText(panel, (panel.width - w) / 2, kLabelMargin, std::string(1, text.top), kLabelScale);
    drawText(panel, (panel.width - w) / 2, panel.height - kLabelMargin - h, std::string(1, text.bottom), kLabelScale);
}

std::string volumeList(const std::vector<std::int32_t>& volumes) {
    std::string list;
    for (const std::int32_t v : volumes) list += (list.empty() ? "" : ", ") + std::to_string(v);
    return list;
}

}  // namespace

std::string figureName(std::size_t set, std::size_t voi) {
    return "set-" + padded(set + 1, 3) + "-voi-" + padded(voi + 1, 2) + ".png";
}

std::vector<PagePicture> drawSetPictures(std::size_t setNumber, const ConvertedSet& set, std::int32_t sampledVolumes,
                                         const std::function<void(const std::string&, const RgbImage&)>& store) {
    const SetRecords& records = set.records;
    const VoiFile& file = set.voiFile;
    const TimeCourseMean functional = readTimeCourseMean(records.fmr, sampledVolumes);
    const Window window = robustWindow(functional.mean);
    const TargetMapping mapping(set.chain, records.fmr);
    const bool anatomicalSpace = file.ReferenceSpace.value != "GF";
    const std::int32_t scale = functionalScale(functional.mean.dimX(), functional.mean.dimY());

    std::vector<PagePicture> figures(file.vois.size());
    // The panels' and the figure's memory is kept per drawing thread, reused from figure to
    // figure: fresh memory costs a page fault per page touched.
    thread_local std::vector<RgbImage> panels;
    thread_local RgbImage image;
    for (std::size_t v = 0; v < file.vois.size(); ++v) {
        const Voi& voi = file.vois[v];
        std::vector<std::array<std::int32_t, 3>> points;
        points.reserve(voi.voxels.size());
        for (const VoxelTriple& t : voi.voxels) points.push_back(mapping.gridOf(t));
        const std::array<std::int32_t, 3> centre = centreOf(points);
        const auto channel = [](std::int32_t c) { return static_cast<std::uint8_t>(std::clamp(c, 0, 255)); };
        const Rgb colour = {channel(voi.red), channel(voi.green), channel(voi.blue)};
        PagePicture& figure = figures[v];

        std::size_t count = 0;
        const auto nextPanel = [&]() -> RgbImage& {
            if (panels.size() <= count) panels.resize(count + 1);
            return panels[count++];
        };
        for (const CutText& text : kCuts) {
            const std::int32_t position = centre[text.axis];
            RgbImage& panel = nextPanel();
            renderCut(mapping, functional.mean, window, points, text.cut, position, colour, panel);
            drawTitle(panel, text.title);
            if (anatomicalSpace) drawOrientation(panel, text);
            figure.captions.push_back(cutCaption(text, position, anatomicalSpace));
        }
        const RoiPlot* plot = v < records.roi.plots.size() ? &records.roi.plots[v] : nullptr;
        const std::int32_t slice = plot != nullptr ? busiestSlice(*plot, functional.mean.dimZ()) : -1;
        if (slice >= 0) {
            RgbImage& panel = nextPanel();
            renderFunctionalSlice(functional.mean, window, *plot, slice, scale, colour, panel);
            drawTitle(panel, "Slice " + std::to_string(slice));
            const auto here = std::count_if(plot->voxels.begin(), plot->voxels.end(), [&](const VoxelTriple& t) {
                return t.z == slice && functional.mean.contains(t.x, t.y, t.z);
            });
            figure.captions.push_back("Functional slice " + std::to_string(slice) + " of " +
                                      std::to_string(functional.mean.dimZ()) + ", " + std::to_string(here) + " of " +
                                      std::to_string(plot->voxels.size()) + " ROI voxels; mean of volumes " +
                                      volumeList(functional.volumes) + "; column 0 at left, row 0 at top.");
        }
        composeFigure(panels, count, image);
        figure.file = figureName(setNumber, v);
        figure.width = image.width;
        figure.height = image.height;
        figure.alt = voi.NameOfVOI.value + ": sagittal, coronal and axial cuts of the functional image on the anatomical "
                     "grid with the VOI outline" +
                     (slice >= 0 ? ", and functional slice " + std::to_string(slice) + " with the ROI outline" : "");
        store(figure.file, image);
    }
    return figures;
}

}  // namespace zandrel::report
