#pragma once

#include <functional>
#include <string>
#include <vector>

#include "batch/set_records.h"
#include "outputs/report/report_model.h"
#include "outputs/report/rgb_image.h"

namespace zandrel::report {

// Name of the figure of VOI `voi` of set `set` (both from 0). Known before anything is
// drawn, so the folder can be checked first.
std::string figureName(std::size_t set, std::size_t voi);

// Draws the figure of each VOI of one converted set (set `setNumber`, from 0) through the
// chain its VOIs were built with: the three cuts of the anatomical grid and, when its ROI
// has voxels in the functional grid, the functional slice that holds most of them, left to
// right. Every panel carries its title at its top-left corner ("Sagittal", "Coronal",
// "Axial", "Slice <n>") and each cut of an anatomical space the direction each of its edges
// faces (L/R, A/P, S/I) at the middle of that edge, all kLabelMargin pixels in from the
// edges at kLabelScale (picture_text.h); a title too wide to leave the top letter free is
// drawn at the font's own size. Hands each to `store` (name, picture) and returns them in VOI order for the page.
// Reads `sampledVolumes` volumes of the time-course data; throws when they cannot be read,
// and passes on what `store` throws.
std::vector<PagePicture> drawSetPictures(
    std::size_t setNumber, const ConvertedSet& set, std::int32_t sampledVolumes,
    const std::function<void(const std::string&, const RgbImage&)>& store);

}  // namespace zandrel::report
