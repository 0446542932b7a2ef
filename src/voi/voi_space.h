#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "geometry/voxel_triple.h"
#include "voi/voi_file.h"

namespace zandrel {

// The space a .voi's triples live in, from its ReferenceSpace text.
enum class VoiSpace {
    Talairach,  // "TAL": millimetre triples (right, anterior, superior), 256-point grid
    Mni,        // "MNI": millimetre triples like Talairach
    Acpc,       // "ACPC": grid indices
    Native,     // "GF" or a native-space word: grid indices of the original anatomical grid
};

// How the triples of one .voi file sit on a grid, and where that grid lies in the world.
// Grid indices (i, j, k) run anterior to posterior, superior to inferior and right to left;
// the world position of (i, j, k) is, in millimetres,
//     (sizeK * (centre - k), sizeI * (centre - i), sizeJ * (centre - j)),   centre = dim / 2,
// right, anterior and superior positive. With the usual 256-point grid of 1 mm that is
// (128 - k, 128 - i, 128 - j): the Talairach triple form. Every number here is an integer.
struct VoiPlacement {
    VoiSpace space = VoiSpace::Talairach;
    bool millimetreTriples = true;       // triples are world millimetres, not grid indices
    std::int32_t dim = 256;              // grid points on each axis
    std::array<std::int32_t, 3> voxelSize{{1, 1, 1}};  // millimetres along i, j, k

    std::int32_t centre() const { return dim / 2; }
    std::uint64_t cellCount() const;
    std::int64_t voxelVolume() const;    // cubic millimetres

    // Grid cell of a triple, i fastest: (k * dim + j) * dim + i. False when the triple
    // lies outside the grid.
    bool cellOf(const VoxelTriple& triple, std::uint32_t& cell) const;
    // World millimetres (x right, y anterior, z superior) of a cell.
    std::array<std::int64_t, 3> worldOf(std::uint32_t cell) const;
    // The grid-to-world matrix, rows x, y, z of an affine 4 x 4 matrix (row-major 3 x 4).
    std::array<std::int32_t, 12> gridToWorld() const;
};

// The placement of a file's triples, the space words compared in any letter case: "TAL" and
// "MNI" (millimetres on the 256-point grid of 1 mm); "ACPC", "GF" and "NATIVE" (grid
// indices; OriginalVMRResolutionX/Y/Z as the voxel size along i, j, k and
// OriginalVMRFramingCubeDim as the grid size, 1 and 256 when the file does not give them;
// an OriginalVMROffsetX/Y/Z other than 0 is refused: "Grid cannot be placed: ...").
// Throws std::runtime_error "ReferenceSpace cannot be placed: <text>" for any other space
// text, and "Grid cannot be placed: ..." for a grid size other than an even number from 2
// to 512 or a voxel size outside 1 to 16.
//
// The builder writes "GF" whenever the ACPC transformation is missing, and then still
// writes Talairach triples when the set had landmarks: only the caller that built the file
// knows. `millimetreTriples`, when given, says which form the triples have; a "GF" file
// with millimetre triples lies on the 256-point grid of 1 mm, with the native code.
VoiPlacement placeVoiFile(const VoiFile& file, std::optional<bool> millimetreTriples = std::nullopt);

// Whether two ReferenceSpace words are the same word: producers differ in letter case ("Tal",
// "acpc"), so the words are compared in any case, as ASCII.
bool sameSpaceWord(const std::string& a, const std::string& b);

// The space's name for other tools: "Talairach", "MNI", "ACPC", "native".
const char* spaceName(VoiSpace space);

}  // namespace zandrel
