#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "formats/key_table.h"
#include "formats/keyed_field.h"
#include "geometry/voxel_triple.h"

namespace zandrel {

// A landmark: three integer grid coordinates.
using Landmark = VoxelTriple;

namespace landmark {
enum Index { AC = 0, PC, AP, PP, SP, IP, RP, LP, Count };
}

// Talairach landmarks of one anatomical volume. FileVersion -1 (the default record of a
// set without TAL file, or a file without "FileVersion:") means: no Talairach step.
struct TalRecord {
    std::string path;
    KeyedInt FileVersion;
    KeyedText Project;
    std::array<Landmark, landmark::Count> landmarks{};  // AC, PC, AP, PP, SP, IP, RP, LP
    KeyedInt TALVMRFramingCube;
    KeyedFloat TALVMRVoxelRes;

    // Whether the last entry of each landmark gave all three of its integers; false for a
    // landmark the file lacks, and for one whose numbers failed to parse or were cut short.
    std::array<bool, landmark::Count> landmarkRead{};

    TalRecord() { FileVersion.value = -1; }
};

// Key words of the landmarks, in record order: "AC:", "PC:", ... "LP:".
extern const char* const landmarkKeys[landmark::Count];

// Keyed fields of the file in comparison order; the landmark keys come between
// "Project:" and "TALVMRFramingCube:" and are read as three plain integers each.
KeyTable<TalRecord> talKeys();

TalRecord readTalFile(const std::string& path);

}  // namespace zandrel
