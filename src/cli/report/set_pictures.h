#pragma once

#include <functional>
#include <string>
#include <vector>

#include "batch/set_records.h"
#include "cli/report/report_model.h"
#include "cli/report/rgb_image.h"

namespace zandrel::report {

// Names of the pictures of VOI `voi` of set `set` (both from 0): three cuts, then the
// functional slice. Known before anything is drawn, so the folder can be checked first.
std::vector<std::string> pictureNames(std::size_t set, std::size_t voi);

// Draws the pictures of one converted set (set `setNumber`, from 0) through the chain its
// VOIs were built with, hands each to `store` (name, picture) and returns them per VOI for
// the page. Reads `sampledVolumes` volumes of the time-course data; throws when they cannot
// be read, and passes on what `store` throws.
std::vector<std::vector<PagePicture>> drawSetPictures(
    std::size_t setNumber, const ConvertedSet& set, std::int32_t sampledVolumes,
    const std::function<void(const std::string&, const RgbImage&)>& store);

}  // namespace zandrel::report
