#pragma once

#include <string>
#include <vector>

#include "outputs/table/voi_provenance.h"
#include "voi/voi_figures.h"
#include "voi/voi_space.h"

namespace zandrel {

// The table: a header row, then one row per VOI with index, name, color (#rrggbb), voxels,
// volume_mm3, centroid_x/y/z (millimetres, shortest round-trip form), shared_voxels and
// skipped_roi_voxels ("n/a" when not known). Tabs and line ends in a name become blanks.
std::string voiTable(const VoiFile& file, const std::vector<VoiFigures>& figures,
                     const NiftiProvenance* provenance);

// The JSON sidecar: the space, the .voi's ReferenceSpace, the mode, the images, every file
// the outputs consist of ("output_files": the .voi beside them, the images, the table and
// the sidecar itself, as file names in the sidecar's folder; a later writing of the same
// outputs removes the images that this list holds and its own does not), the grid and its
// matrix, and what the provenance knows (input files, chain matrix with its direction,
// landmarks), then the program's name and version.
std::string voiSidecar(const VoiFile& file, const VoiPlacement& placement, NiftiMode mode,
                       const std::vector<std::string>& images, const std::vector<std::string>& outputFiles,
                       const NiftiProvenance* provenance);

}  // namespace zandrel
