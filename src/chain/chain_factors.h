#pragma once

#include "formats/fmr_header.h"
#include "formats/trf_record.h"
#include "geometry/matrix4.h"

namespace zandrel {

// The chain matrix from the centred anatomical grid to the centred functional grid and
// its factors, each named by the frames it maps between. Read from right to left, a
// centred grid position goes through
//   acpcToAnatomical, anatomicalToAligned, voxelsToMillimetres, extraAnatomical,
//   anatomicalToFunctional, millimetresToFunctional, sliceFlip,
// and their product, taken from left to right, is gridToFunctional:
//   M = F * S_fmr * IA^-1 * X * S_vmr * FA^-1 * A.
struct ChainFactors {
    Matrix4 sliceFlip;               // F: mirrors the column or the slice axis, or nothing
    Matrix4 millimetresToFunctional; // S_fmr: millimetres to functional voxels
    Matrix4 anatomicalToFunctional;  // IA^-1: rigid-body inverse of the initial alignment
    Matrix4 extraAnatomical;         // X: identity, or F * E with the extra anatomical matrix E
    Matrix4 voxelsToMillimetres;     // S_vmr: anatomical voxels to millimetres
    Matrix4 anatomicalToAligned;     // FA^-1: identity when there is no fine alignment or it failed
    Matrix4 acpcToAnatomical;        // A: the ACPC matrix, identity when there is none
    Matrix4 gridToFunctional;        // M
    bool faInverted = true;  // false only when the fine alignment could not be inverted
};

// Computes every factor and their product, left to right, each product into a fresh
// matrix. Checks nothing: a non-finite or degenerate product (for example from a zero
// voxel size) is judged by judgeChain (chain_verdict.h).
ChainFactors computeChainFactors(const FmrHeader& fmr, const TrfRecord& ia, const TrfRecord& fa,
                                 const TrfRecord& acpc);

// The slice-direction flip of a functional project, from its first and last slice centres.
Matrix4 sliceFlipOf(const FmrHeader& fmr);

}  // namespace zandrel
