#include "voi/voi_space.h"

#include <cctype>
#include <stdexcept>

namespace zandrel {

namespace {

std::int32_t valueOr(const KeyedInt& field, std::int32_t fallback) {
    return field.present ? field.value : fallback;
}

}  // namespace

std::uint64_t VoiPlacement::cellCount() const {
    const std::uint64_t d = static_cast<std::uint64_t>(dim);
    return d * d * d;
}

std::int64_t VoiPlacement::voxelVolume() const {
    return std::int64_t{voxelSize[0]} * voxelSize[1] * voxelSize[2];
}

bool VoiPlacement::cellOf(const VoxelTriple& t, std::uint32_t& cell) const {
    // Millimetre triples (x, y, z) = (c - k, c - i, c - j) on a 1 mm grid.
    const std::int64_t c = centre();
    const std::int64_t i = millimetreTriples ? c - std::int64_t{t.y} : t.x;
    const std::int64_t j = millimetreTriples ? c - std::int64_t{t.z} : t.y;
    const std::int64_t k = millimetreTriples ? c - std::int64_t{t.x} : t.z;
    if (i < 0 || j < 0 || k < 0 || i >= dim || j >= dim || k >= dim) return false;
    cell = static_cast<std::uint32_t>((k * dim + j) * dim + i);
    return true;
}

std::array<std::int64_t, 3> VoiPlacement::worldOf(std::uint32_t cell) const {
    const std::int64_t d = dim;
    const std::int64_t i = cell % d;
    const std::int64_t j = (cell / d) % d;
    const std::int64_t k = cell / d / d;
    const std::int64_t c = centre();
    return {{voxelSize[2] * (c - k), voxelSize[0] * (c - i), voxelSize[1] * (c - j)}};
}

std::array<std::int32_t, 12> VoiPlacement::gridToWorld() const {
    const std::int32_t c = centre();
    return {{0, 0, -voxelSize[2], voxelSize[2] * c,
             -voxelSize[0], 0, 0, voxelSize[0] * c,
             0, -voxelSize[1], 0, voxelSize[1] * c}};
}

namespace {

// Producers differ in the letter case of the space words ("Tal", "acpc").
std::string upperCase(const std::string& text) {
    std::string upper = text;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

// An offset moves the file's grid within the original framing cube; no placement here
// applies one, so a file that has one is refused rather than drawn in the wrong place.
void refuseOffsets(const VoiFile& file) {
    for (const KeyedInt* offset : {&file.OriginalVMROffsetX, &file.OriginalVMROffsetY, &file.OriginalVMROffsetZ}) {
        if (offset->present && offset->value != 0) {
            throw std::runtime_error("Grid cannot be placed: " + offset->key + " " + std::to_string(offset->value) +
                                     " is not 0 (offset grids are not supported)");
        }
    }
}

}  // namespace

bool sameSpaceWord(const std::string& a, const std::string& b) { return upperCase(a) == upperCase(b); }

VoiPlacement placeVoiFile(const VoiFile& file, std::optional<bool> millimetreTriples) {
    const std::string& original = file.ReferenceSpace.value;
    const std::string text = upperCase(original);
    VoiPlacement placement;
    if (text == "TAL") {
        placement.space = VoiSpace::Talairach;
        return placement;
    }
    if (text == "MNI") {
        placement.space = VoiSpace::Mni;
        return placement;
    }
    if (text == "ACPC") {
        placement.space = VoiSpace::Acpc;
    } else if (text == "GF" || text == "NATIVE") {
        placement.space = VoiSpace::Native;
    } else {
        throw std::runtime_error("ReferenceSpace cannot be placed: \"" + original + "\"");
    }
    if (placement.space == VoiSpace::Native && millimetreTriples.value_or(false)) return placement;
    refuseOffsets(file);
    placement.millimetreTriples = false;
    placement.dim = valueOr(file.OriginalVMRFramingCubeDim, 256);
    placement.voxelSize = {{valueOr(file.OriginalVMRResolutionX, 1), valueOr(file.OriginalVMRResolutionY, 1),
                            valueOr(file.OriginalVMRResolutionZ, 1)}};
    if (placement.dim < 2 || placement.dim > 512 || placement.dim % 2 != 0) {
        throw std::runtime_error("Grid cannot be placed: OriginalVMRFramingCubeDim " +
                                 std::to_string(placement.dim) + " is not an even number from 2 to 512");
    }
    for (std::int32_t size : placement.voxelSize) {
        if (size < 1 || size > 16) {
            throw std::runtime_error("Grid cannot be placed: OriginalVMRResolution " + std::to_string(size) +
                                     " is not from 1 to 16");
        }
    }
    return placement;
}

const char* spaceName(VoiSpace space) {
    switch (space) {
        case VoiSpace::Talairach: return "Talairach";
        case VoiSpace::Mni: return "MNI";
        case VoiSpace::Acpc: return "ACPC";
        case VoiSpace::Native: return "native";
    }
    return "native";
}

}  // namespace zandrel
