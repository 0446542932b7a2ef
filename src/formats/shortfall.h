#pragma once
// What a file announces but does not hold. The readers keep whatever they could read; these
// functions tell a caller what is missing, so that it can report or refuse instead of going
// on quietly with less.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/roi_file.h"
#include "formats/tal_record.h"
#include "formats/trf_record.h"

namespace zandrel {

// A plot that holds fewer voxel triples than its NrOfVoxels announces.
struct ShortVoxelList {
    std::size_t plot = 0;          // index into RoiFile::plots, from 0
    std::int32_t announced = 0;    // its NrOfVoxels
    std::size_t read = 0;          // triples read
};

// The plots and voxels of a ROI file that it announces but does not hold.
struct RoiShortfall {
    std::int32_t announcedPlots = 0;  // NrOfTCPlots; 0 when absent or negative
    std::size_t readPlots = 0;        // plots read completely enough to be kept
    std::vector<ShortVoxelList> shortPlots;

    bool complete() const {
        return readPlots >= static_cast<std::size_t>(announcedPlots) && shortPlots.empty();
    }
};

RoiShortfall roiShortfall(const RoiFile& roi);

// Refusal text for a transformation whose matrix lacks numbers; empty when every announced
// matrix is complete (or none is announced):
// "The transformation file P holds only 7 of the 16 numbers of its matrix"
// ("... of its extra VMR matrix" for the one after ExtraVMRTransf 1).
std::string trfMatrixRefusal(const TrfRecord& trf);

// The landmarks that a landmark file with a positive FileVersion lacks (not present, or not
// three whole numbers), in record order; empty for FileVersion 0 or less, which does not
// use them.
std::vector<landmark::Index> missingLandmarks(const TalRecord& tal);

// Refusal text naming the file and the missing landmark keys; empty when none is missing:
// "The landmark file P lacks the landmarks RP:, LP: (each needs three whole numbers)".
std::string talLandmarkRefusal(const TalRecord& tal);

}  // namespace zandrel
