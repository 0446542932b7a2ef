#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "formats/keyed_field.h"
#include "geometry/voxel_triple.h"

namespace zandrel {

// One volume of interest: its name, colour, voxel count and voxels in scan order.
struct Voi {
    KeyedText NameOfVOI;
    std::int32_t red = 0;
    std::int32_t green = 0;
    std::int32_t blue = 0;
    KeyedInt NrOfVoxels;
    std::vector<VoxelTriple> voxels;
};

// A .voi file: the keyed header, the VOIs and the (always empty) VTC list.
// A new record holds the values of a fresh file: every keyed field present,
// "ReferenceSpace" "ACPC", "NrOfVOIs" 0, no VOIs.
struct VoiFile {
    std::string fileName;  // path that save() writes; empty until the caller names it

    KeyedInt FileVersion;
    KeyedText ReferenceSpace;
    KeyedInt OriginalVMRResolutionX;
    KeyedInt OriginalVMRResolutionY;
    KeyedInt OriginalVMRResolutionZ;
    KeyedInt OriginalVMROffsetX;
    KeyedInt OriginalVMROffsetY;
    KeyedInt OriginalVMROffsetZ;
    KeyedInt OriginalVMRFramingCubeDim;
    KeyedInt LeftRightConvention;
    KeyedText SubjectVOINamingConvention;
    KeyedInt NrOfVOIs;
    std::vector<Voi> vois;
    KeyedInt NrOfVOIVTCs;
    std::vector<std::string> vtcNames;

    // Line ends: false writes "\n" (which a Windows text file turns into CR LF),
    // true writes CR LF on every platform.
    bool crlf = false;

    VoiFile();

    // The complete file text. Without coordinates each voxel list is replaced by the
    // line "  Skipping coordinate list".
    void write(std::ostream& out, bool withCoordinates) const;

    // Writes the text with coordinates to a temporary file in the target folder and
    // renames it over `fileName` only once it is complete. Throws std::runtime_error
    // "Cannot Create file: " + fileName when the file cannot be created (the previous
    // file, if any, stays untouched) and "Cannot write file: " + fileName when writing
    // fails; no temporary file is left behind in either case.
    void save() const;
};

}  // namespace zandrel
