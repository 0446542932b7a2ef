#pragma once

#include <string>

#include "batch/run_projection.h"

namespace zandrel {

// Whether this build writes occupancy images (the NIfTI C library); when not, what it lacks.
bool occupancyImagesAvailable();
inline constexpr char kOccupancyImagesLibrary[] = "the NIfTI C library";

// Writes the files of one projected run set at `run.outputStem` + suffix: ".roi" (one plot per
// VOI with its selected cells at options.minOccupancy, in file order), "_coverage.tsv", and
// with `withImages` "_occupancy.nii.gz" and "_occupancy.json" (skipped for a file without
// VOIs: an image needs a volume). Every file is staged first and the set's files are renamed
// into place together at the end, so a failure replaces none of them. Throws
// std::runtime_error naming the file that could not be written; std::logic_error when images
// are asked for in a build without them.
void writeProjectedRun(const ProjectedRun& run, const ProjectOptions& options, bool withImages);

}  // namespace zandrel
