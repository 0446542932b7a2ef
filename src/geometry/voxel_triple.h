#pragma once

#include <cstdint>
#include <iosfwd>

namespace zandrel {

// Three signed integers: a functional voxel (column, row, slice) in a ROI,
// anatomical grid indices or Talairach coordinates in a VOI.
struct VoxelTriple {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t z = 0;
};

inline bool operator==(const VoxelTriple& a, const VoxelTriple& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}
inline bool operator!=(const VoxelTriple& a, const VoxelTriple& b) { return !(a == b); }

// "(x, y, z)": for test failures and diagnostics, never for an output file.
std::ostream& operator<<(std::ostream& out, const VoxelTriple& v);

}  // namespace zandrel
