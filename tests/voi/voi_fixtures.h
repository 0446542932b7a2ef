#pragma once

// In-memory records for the builder tests: functional projects, transformations,
// landmarks and ROIs, without any file.

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/fmr_header.h"
#include "formats/roi_file.h"
#include "formats/tal_record.h"
#include "formats/trf_record.h"
#include "geometry/matrix4.h"
#include "geometry/voxel_triple.h"

namespace zandrel::test {

inline void put(KeyedInt& field, std::int32_t value) {
    field.value = value;
    field.present = true;
}
inline void put(KeyedFloat& field, float value) {
    field.value = value;
    field.present = true;
}

// Sizes in cells, spacing in millimetres. The slice stack runs along +z (no flip)
// unless `sliceDirection` says otherwise (Slice1Center - SliceNCenter per axis).
struct FmrShape {
    std::int32_t dimX = 8;
    std::int32_t dimY = 8;
    std::int32_t dimZ = 8;
    float resolutionX = 1.0f;
    float resolutionY = 1.0f;
    float thickness = 1.0f;
    float gap = 0.0f;
    float sliceDirection[3] = {0.0f, 0.0f, 0.0f};
};

inline FmrHeader makeFmr(const FmrShape& shape, const std::string& path = "/study/run1.fmr") {
    FmrHeader fmr;
    fmr.path = path;
    put(fmr.FileVersion, 5);
    put(fmr.ResolutionX, shape.dimX);
    put(fmr.ResolutionY, shape.dimY);
    put(fmr.NrOfSlices, shape.dimZ);
    put(fmr.InplaneResolutionX, shape.resolutionX);
    put(fmr.InplaneResolutionY, shape.resolutionY);
    put(fmr.SliceThickness, shape.thickness);
    put(fmr.SliceGap, shape.gap);
    put(fmr.Slice1CenterX, shape.sliceDirection[0]);
    put(fmr.Slice1CenterY, shape.sliceDirection[1]);
    put(fmr.Slice1CenterZ, shape.sliceDirection[2]);
    put(fmr.SliceNCenterX, 0.0f);
    put(fmr.SliceNCenterY, 0.0f);
    put(fmr.SliceNCenterZ, 0.0f);
    return fmr;
}

// A transformation record; FileVersion -1 means "not at hand".
inline TrfRecord makeTrf(const Matrix4& matrix, std::int32_t fileVersion, float toVmrVoxelRes = 1.0f) {
    TrfRecord trf;
    trf.FileVersion.value = fileVersion;
    trf.FileVersion.present = fileVersion != -1;
    trf.matrix = matrix;
    put(trf.ExtraVMRTransf, 0);
    put(trf.ToVMRVoxelRes, toVmrVoxelRes);
    return trf;
}

// Rotation about x, then y, then z (degrees) followed by a translation, rounded to float.
inline Matrix4 rigid(double ax, double ay, double az, float tx, float ty, float tz) {
    const double d = 3.14159265358979323846 / 180.0;
    const double cx = std::cos(ax * d), sx = std::sin(ax * d);
    const double cy = std::cos(ay * d), sy = std::sin(ay * d);
    const double cz = std::cos(az * d), sz = std::sin(az * d);
    const double r[3][3] = {
        {cy * cz, sx * sy * cz - cx * sz, cx * sy * cz + sx * sz},
        {cy * sz, sx * sy * sz + cx * cz, cx * sy * sz - sx * cz},
        {-sy, sx * cy, cx * cy},
    };
    Matrix4 m;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) m.at(row, col) = static_cast<float>(r[row][col]);
    m.at(0, 3) = tx;
    m.at(1, 3) = ty;
    m.at(2, 3) = tz;
    return m;
}

// Landmarks whose mapping is the identity: the atlas extents around AC = 128, PC = 151.
inline TalRecord atlasTal(std::int32_t fileVersion) {
    TalRecord tal;
    tal.path = "/study/anat.tal";
    tal.FileVersion.value = fileVersion;
    tal.FileVersion.present = fileVersion != -1;
    auto set = [&tal](int index, std::int32_t x, std::int32_t y, std::int32_t z) {
        tal.landmarks[static_cast<std::size_t>(index)] = Landmark{x, y, z};
    };
    set(landmark::AC, 128, 128, 128);
    set(landmark::PC, 151, 128, 128);
    set(landmark::AP, 58, 128, 128);
    set(landmark::PP, 230, 128, 128);
    set(landmark::SP, 128, 54, 128);
    set(landmark::IP, 128, 170, 128);
    set(landmark::RP, 128, 128, 60);
    set(landmark::LP, 128, 128, 196);
    return tal;
}

inline RoiFile makeRoi(const std::vector<std::vector<VoxelTriple>>& plots) {
    RoiFile roi;
    roi.path = "/study/run1.roi";
    put(roi.FileVersion, 6);
    put(roi.NrOfTCPlots, static_cast<std::int32_t>(plots.size()));
    for (const auto& voxels : plots) {
        RoiPlot plot;
        put(plot.NrOfVoxels, static_cast<std::int32_t>(voxels.size()));
        plot.voxels = voxels;
        roi.plots.push_back(plot);
    }
    return roi;
}

// The four records of a set besides the ROI file.
struct ChainRecords {
    FmrHeader fmr;
    TrfRecord ia;
    TrfRecord fa;
    TrfRecord acpc;
    TalRecord tal;
};

// Chain matrix = identity: 1 mm functional voxels, no alignment, no ACPC matrix. Functional
// voxel (x, y, z) of an 8-cell grid then meets exactly the anatomical grid point
// (x + 124, y + 124, z + 124).
inline ChainRecords identityChain(const FmrShape& shape = FmrShape{}) {
    return ChainRecords{makeFmr(shape), makeTrf(Matrix4{}, 3), makeTrf(Matrix4{}, -1), makeTrf(Matrix4{}, -1),
                        TalRecord{}};
}

}  // namespace zandrel::test
