#include "geometry/point4.h"
#include "voi/voi_scan.h"

namespace zandrel {

void scanReference(const ScanSetup& setup, const VolumeGrid& mask, std::vector<VoxelTriple>& voxels) {
    // Allocates nothing except when the voxel list grows; throws nothing else.
    for (std::int32_t k = 0; k < kAnatomicalGridSize; ++k) {
        for (std::int32_t j = 0; j < kAnatomicalGridSize; ++j) {
            for (std::int32_t i = 0; i < kAnatomicalGridSize; ++i) {
                Point4 p;
                p.x = static_cast<float>(i);
                p.y = static_cast<float>(j);
                p.z = static_cast<float>(k);
                p.w = 1.0f;
                if (setup.talairachToAcpc.applies) setup.talairachToAcpc.map(p);
                p.x = p.x - 127.5f;
                p.y = p.y - 127.5f;
                p.z = p.z - 127.5f;
                Point4 q;
                setup.gridToFunctional.transform(p, q);
                const float x = q.x + setup.cx;
                const float y = q.y + setup.cy;
                const float z = q.z + setup.cz;
                const float v = mask.sampleNearest(x, y, z);
                if (v > 0.5f) voxels.push_back(keptTriple(setup, i, j, k));
            }
        }
    }
}

}  // namespace zandrel
