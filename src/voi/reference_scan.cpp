#include "voi/voi_scan.h"

namespace zandrel {

void scanReference(const ScanSetup& setup, const VolumeGrid& mask, std::vector<VoxelTriple>& voxels) {
    // Allocates nothing except when the voxel list grows; throws nothing else.
    for (std::int32_t k = 0; k < kAnatomicalGridSize; ++k) {
        for (std::int32_t j = 0; j < kAnatomicalGridSize; ++j) {
            for (std::int32_t i = 0; i < kAnatomicalGridSize; ++i) {
                float x, y, z;
                functionalPositionOf(setup, i, j, k, x, y, z);
                const float v = mask.sampleNearest(x, y, z);
                if (v > 0.5f) voxels.push_back(keptTriple(setup, i, j, k));
            }
        }
    }
}

}  // namespace zandrel
