#pragma once

#include <array>
#include <vector>

#include "generator/affine.h"
#include "generator/study_generator.h"

namespace zandrel::studygen {

using Voxel = std::array<int, 3>;  // column, row, slice of the functional grid

struct Plot {
    std::vector<Voxel> voxels;  // in file order
};

// Centre and radii of an ellipsoid in functional voxel units.
struct Ellipsoid {
    double centre[3];
    double radius[3];
    double normalisedDistance2(double x, double y, double z) const;
};

// Slice positions as the scanner's image headers give them (mm).
struct SliceStack {
    double rowDir[3], colDir[3];
    double slice1Centre[3], sliceNCentre[3];
};

// Everything the writers put into the files of one subject. The matrices map:
// IA: centred functional mm -> centred anatomical mm; FA: a small correction within the
// anatomical volume; ACPC: centred ACPC grid position -> centred anatomical position;
// extra: a correction of the anatomical volume, used when plan.extraTransform.
struct SubjectModel {
    Affine initialAlignment, fineAlignment, acpc, extra;
    SliceStack stack;
    Ellipsoid brain;
    std::vector<Plot> plots;
    std::array<Voxel, 8> landmarks;  // AC, PC, AP, PP, SP, IP, RP, LP
    int matrixStyle = 0;             // 0..2, layout of the written matrices
};

SubjectModel buildSubjectModel(const SubjectPlan& plan);

}  // namespace zandrel::studygen
