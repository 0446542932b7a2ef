#pragma once

#include "formats/fmr_header.h"
#include "formats/trf_record.h"
#include "geometry/matrix4.h"

namespace zandrel {

// The factors of the chain matrix from the centred anatomical grid to the centred
// functional grid, M = F * S_fmr * IA^-1 * X * S_vmr * FA^-1 * A, and M itself.
struct ChainFactors {
    Matrix4 flip;       // F: mirrors the column or the slice axis, or nothing
    Matrix4 fmrScale;   // S_fmr: millimetres to functional voxels
    Matrix4 iaInverse;  // IA^-1: rigid-body inverse of the initial alignment
    Matrix4 extra;      // X: identity, or F * E with the extra anatomical matrix E
    Matrix4 vmrScale;   // S_vmr: anatomical voxels to millimetres
    Matrix4 faInverse;  // FA^-1: identity when there is no fine alignment or it failed
    Matrix4 acpc;       // A: the ACPC matrix, identity when there is none
    Matrix4 chain;      // M
    bool faInverted = true;  // false only when the fine alignment could not be inverted
};

// Computes every factor and their product, left to right, each product into a fresh
// matrix. A non-finite element in `chain` (for example from a zero voxel size) is not
// reported here; callers check chain.isFinite().
ChainFactors computeChainFactors(const FmrHeader& fmr, const TrfRecord& ia, const TrfRecord& fa,
                                 const TrfRecord& acpc);

// The slice-direction flip of a functional project, from its first and last slice centres.
Matrix4 sliceFlipOf(const FmrHeader& fmr);

}  // namespace zandrel
