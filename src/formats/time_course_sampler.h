#pragma once

#include <cstdint>
#include <vector>

#include "formats/fmr_header.h"
#include "geometry/volume_grid.h"

namespace zandrel {

// The mean of a few volumes of a project's time-course data, read by seeking to each wanted
// slice of each wanted volume rather than loading the whole file (a run is commonly 75 to
// 150 MB). Shows what the scanner saw without the cost of the full data.
struct TimeCourseMean {
    VolumeGrid mean;                   // (ResolutionX, ResolutionY, NrOfSlices)
    std::vector<std::int32_t> volumes; // the volumes averaged, ascending
};

// Volumes spread evenly over a run of `total` volumes: at most `wanted`, the first and the
// last among them when wanted >= 2, ascending and without repeats.
std::vector<std::int32_t> spreadVolumes(std::int32_t total, std::int32_t wanted);

// Reads the volumes spreadVolumes(NrOfVolumes, wanted) of the data file
// timeCourseFileName(header) and averages them per cell. Throws std::runtime_error
// "Failed opening STC for reading: " + name when the file cannot be opened, and a message
// naming the file when the header's sizes are not positive, the functional grid exceeds
// `maxCells`, or the file is shorter than the header promises.
TimeCourseMean readTimeCourseMean(const FmrHeader& header, std::int32_t wanted,
                                  std::int64_t maxCells = std::int64_t{1} << 25);

}  // namespace zandrel
