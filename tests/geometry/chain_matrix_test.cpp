#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "geometry/chain_matrix.h"
#include "geometry/point4.h"
#include "geometry_test_util.h"

namespace zandrel {
namespace {

using testing::describe;
using testing::fromRows;
using testing::Matrix4d;
using testing::rigidMotion;
using testing::toDouble;
using testing::toFloat;

// A functional project with the given voxel size and slice centres.
FmrHeader fmrWith(float inplaneX, float inplaneY, float thickness, float gap) {
    FmrHeader fmr;
    fmr.InplaneResolutionX.value = inplaneX;
    fmr.InplaneResolutionY.value = inplaneY;
    fmr.SliceThickness.value = thickness;
    fmr.SliceGap.value = gap;
    return fmr;
}

void setCentres(FmrHeader& fmr, float x1, float y1, float z1, float xN, float yN, float zN) {
    fmr.Slice1CenterX.value = x1;
    fmr.Slice1CenterY.value = y1;
    fmr.Slice1CenterZ.value = z1;
    fmr.SliceNCenterX.value = xN;
    fmr.SliceNCenterY.value = yN;
    fmr.SliceNCenterZ.value = zN;
}

TrfRecord initialAlignment(const Matrix4& matrix, float voxelSize) {
    TrfRecord ia;
    ia.FileVersion.value = 2;
    ia.matrix = matrix;
    ia.ToVMRVoxelRes.value = voxelSize;
    return ia;
}

TrfRecord presentTrf(const Matrix4& matrix) {
    TrfRecord trf;
    trf.FileVersion.value = 1;
    trf.matrix = matrix;
    return trf;
}

TEST(ChainMatrix, WorkedExampleIsTheFunctionalScale) {
    const FmrHeader fmr = fmrWith(2.0f, 2.0f, 3.0f, 1.0f);
    const TrfRecord ia = initialAlignment(Matrix4(), 1.0f);
    Matrix4 result;
    result.m[1] = 5.0f;
    EXPECT_TRUE(fmr.computeChainMatrix(ia, TrfRecord(), TrfRecord(), result));
    EXPECT_EQ(result, fromRows({0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 1}))
        << describe(result);
}

TEST(ChainMatrix, AbsentFineAlignmentAndAcpcAreIdentityWhateverTheirMatrices) {
    const FmrHeader fmr = fmrWith(2.0f, 2.0f, 3.0f, 1.0f);
    const TrfRecord ia = initialAlignment(Matrix4(), 1.0f);
    TrfRecord fa;  // FileVersion -1
    fa.matrix = fromRows({3, 0, 0, 9, 0, 3, 0, 9, 0, 0, 3, 9, 0, 0, 0, 1});
    TrfRecord acpc;
    acpc.matrix = fa.matrix;
    const ChainFactors f = computeChainFactors(fmr, ia, fa, acpc);
    EXPECT_EQ(f.faInverse, Matrix4());
    EXPECT_EQ(f.acpc, Matrix4());
    EXPECT_TRUE(f.faInverted);
}

// Slice-centre differences (first minus last) and the flip they give.
struct FlipCase {
    const char* name;
    float dX, dY, dZ;
    float column;  // F[0][0]
    float slice;   // F[2][2]
};

const FlipCase kFlipCases[] = {
    {"no differences", 0, 0, 0, 1, 1},
    {"stack along z towards -z", 0.5f, -1, -30, 1, -1},
    {"stack along z towards +z", 0.5f, -1, 30, 1, 1},
    {"stack along x towards -x", 30, 1, -2, -1, 1},
    {"stack along x towards +x", -30, 1, -2, 1, 1},
    {"stack along y, dZ < 0", 0, 10, -1, 1, -1},
    {"stack along y, dZ = 0", 0, 10, 0, 1, 1},
    {"stack along y, dZ > 0", 2, -10, 1, 1, 1},
    {"|dX| = |dZ| > |dY|, dX > 0", 5, 1, 5, -1, 1},
    {"|dX| = |dZ| > |dY|, dX > 0, dZ < 0", 5, 1, -5, -1, 1},
    {"|dX| = |dZ| > |dY|, dX < 0", -5, 1, -5, 1, 1},
    {"|dX| = |dY| > |dZ|, dZ < 0", 5, -5, -1, -1, 1},
    {"|dZ| just above |dX|", 5, 0, std::nextafter(-5.0f, -6.0f), 1, -1},
};

TEST(ChainMatrix, SliceFlipFollowsTheLargestCentreDifference) {
    for (const FlipCase& c : kFlipCases) {
        FmrHeader fmr = fmrWith(2.0f, 2.0f, 3.0f, 1.0f);
        setCentres(fmr, c.dX, c.dY, c.dZ, 0.0f, 0.0f, 0.0f);
        const ChainFactors f = computeChainFactors(fmr, initialAlignment(Matrix4(), 1.0f),
                                                   TrfRecord(), TrfRecord());
        Matrix4 expected;
        expected.setDiagonal(c.column, 1.0f, c.slice);
        EXPECT_EQ(f.flip, expected) << c.name;
        // The flip is the leftmost factor: it mirrors the first or third row of M.
        EXPECT_EQ(f.chain.at(0, 0), 0.5f * c.column) << c.name;
        EXPECT_EQ(f.chain.at(2, 2), 0.25f * c.slice) << c.name;
    }
}

TEST(ChainMatrix, ExtraMatrixWithUnitDiagonalIsIgnoredWhateverElseItHolds) {
    const FmrHeader fmr = fmrWith(2.0f, 2.0f, 3.0f, 1.0f);
    TrfRecord ia = initialAlignment(Matrix4(), 1.0f);
    Matrix4 plain;
    ASSERT_TRUE(fmr.computeChainMatrix(ia, TrfRecord(), TrfRecord(), plain));

    ia.ExtraVMRTransf.value = 1;
    ia.extraMatrix = fromRows({1, 0.5f, 0, 12, 0, 1, 0, -3, 0.25f, 0, 1, 7, 0, 0, 0, 4});
    const ChainFactors f = computeChainFactors(fmr, ia, TrfRecord(), TrfRecord());
    EXPECT_EQ(f.extra, Matrix4());
    EXPECT_EQ(f.chain, plain) << describe(f.chain);
}

TEST(ChainMatrix, ExtraMatrixNeedsExtraVMRTransfOfExactlyOne) {
    const FmrHeader fmr = fmrWith(2.0f, 2.0f, 3.0f, 1.0f);
    TrfRecord ia = initialAlignment(Matrix4(), 1.0f);
    ia.extraMatrix.setDiagonal(2.0f, 2.0f, 2.0f);
    for (int value : {0, 2, -1}) {
        ia.ExtraVMRTransf.value = value;
        EXPECT_EQ(computeChainFactors(fmr, ia, TrfRecord(), TrfRecord()).extra, Matrix4())
            << "ExtraVMRTransf " << value;
    }
}

// With a column flip and a scaling extra matrix, X = F * E carries the flip as well:
// F enters M twice and the column axis comes out unmirrored.
TEST(ChainMatrix, ExtraMatrixIsAppliedTogetherWithTheFlip) {
    FmrHeader fmr = fmrWith(2.0f, 2.0f, 3.0f, 1.0f);
    setCentres(fmr, 30, 0, 0, -30, 0, 0);  // stack along x towards -x: column flip
    TrfRecord ia = initialAlignment(Matrix4(), 1.0f);
    ia.ExtraVMRTransf.value = 1;
    ia.extraMatrix.setDiagonal(2.0f, 2.0f, 1.0f);
    ia.extraMatrix.at(0, 3) = 4.0f;
    const ChainFactors f = computeChainFactors(fmr, ia, TrfRecord(), TrfRecord());
    EXPECT_EQ(f.extra, fromRows({-2, 0, 0, -4, 0, 2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    EXPECT_EQ(f.chain, fromRows({1, 0, 0, 2, 0, 1, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 1}))
        << describe(f.chain);
}

TEST(ChainMatrix, FineAlignmentIsInvertedInGeneralForm) {
    const FmrHeader fmr = fmrWith(1.0f, 1.0f, 1.0f, 0.0f);
    const TrfRecord ia = initialAlignment(Matrix4(), 1.0f);
    const TrfRecord fa = presentTrf(fromRows({2, 0, 0, 4, 0, 4, 0, -8, 0, 0, 0.5f, 1, 0, 0, 0, 1}));
    const ChainFactors f = computeChainFactors(fmr, ia, fa, TrfRecord());
    ASSERT_TRUE(f.faInverted);
    const Matrix4d expected = testing::inverse(toDouble(fa.matrix));
    EXPECT_LT(testing::maxAbsDifference(toDouble(f.faInverse), expected), 1e-5)
        << describe(f.faInverse);
}

TEST(ChainMatrix, FailedFineAlignmentInverseIsReportedAndLeavesIdentity) {
    const FmrHeader fmr = fmrWith(2.0f, 2.0f, 3.0f, 1.0f);
    const TrfRecord ia = initialAlignment(Matrix4(), 1.0f);
    Matrix4 broken;
    broken.at(1, 1) = std::numeric_limits<float>::quiet_NaN();
    const ChainFactors f = computeChainFactors(fmr, ia, presentTrf(broken), TrfRecord());
    EXPECT_FALSE(f.faInverted);
    EXPECT_EQ(f.faInverse, Matrix4());
    Matrix4 result;
    EXPECT_FALSE(fmr.computeChainMatrix(ia, presentTrf(broken), TrfRecord(), result));
    EXPECT_EQ(result, f.chain);
}

// Degenerate headers still compute; the caller sees a non-finite matrix.
TEST(ChainMatrix, ZeroVoxelSizeGivesANonFiniteChainWithoutFailing) {
    const FmrHeader missingSizes;  // a header without resolution keys
    Matrix4 result;
    EXPECT_TRUE(missingSizes.computeChainMatrix(initialAlignment(Matrix4(), 1.0f), TrfRecord(),
                                                TrfRecord(), result));
    EXPECT_FALSE(result.isFinite());
}

// A realistic set: a rotated, translated initial alignment, a small fine correction, an
// ACPC rotation with its centring, 3 x 3 x 3.5 mm functional voxels (0.5 mm gap) and
// anatomical voxels of 1 mm and of 0.75 mm. The float chain must agree with the same chain
// computed in double on grid points to about 1e-4 functional voxel (the float inverse of
// FA and the float products leave about that much); a factor in the wrong
// place or order is off by whole voxels.
TEST(ChainMatrix, RealisticChainAgreesWithDoubleReference) {
    FmrHeader fmr = fmrWith(3.0f, 3.0f, 3.0f, 0.5f);
    // Axial slices acquired from foot to head (dZ < 0): the slice axis is mirrored.
    setCentres(fmr, 0.5f, -12.0f, -40.0f, 1.5f, -10.0f, 48.5f);
    Matrix4d faD = rigidMotion(0.01, 0.004, -0.008, 0.7, -0.3, 0.2);
    faD.at(0, 0) *= 1.01;
    faD.at(1, 2) += 0.003;
    const TrfRecord fa = presentTrf(toFloat(faD));
    const TrfRecord acpc = presentTrf(toFloat(rigidMotion(0.08, 0.0, -0.15, -1.8, 4.2, 2.6)));

    for (float voxelSize : {1.0f, 0.75f}) {
        const TrfRecord ia = initialAlignment(
            toFloat(rigidMotion(0.12, -0.05, 1.5708, 11.0, -6.5, 3.25)), voxelSize);
        const ChainFactors f = computeChainFactors(fmr, ia, fa, acpc);
        ASSERT_TRUE(f.faInverted);
        ASSERT_TRUE(f.chain.isFinite());
        Matrix4 expectedFlip;
        expectedFlip.setDiagonal(1.0f, 1.0f, -1.0f);
        ASSERT_EQ(f.flip, expectedFlip);

        Matrix4d flip;
        flip.at(2, 2) = -1.0;
        Matrix4d scaleFmr;
        scaleFmr.at(0, 0) = 1.0 / 3.0;
        scaleFmr.at(1, 1) = 1.0 / 3.0;
        scaleFmr.at(2, 2) = 1.0 / 3.5;
        Matrix4d scaleVmr;
        for (int i = 0; i < 3; ++i) scaleVmr.at(i, i) = voxelSize;
        const Matrix4d reference = flip * scaleFmr * testing::inverse(toDouble(ia.matrix)) *
                                   scaleVmr * testing::inverse(toDouble(fa.matrix)) *
                                   toDouble(acpc.matrix);

        double worst = 0;
        for (int i = 0; i < 256; i += 15) {
            for (int j = 0; j < 256; j += 15) {
                for (int k = 0; k < 256; k += 15) {
                    const Point4 p{float(i) - 127.5f, float(j) - 127.5f, float(k) - 127.5f, 1.0f};
                    Point4 q;
                    f.chain.transform(p, q);
                    const double pd[4] = {i - 127.5, j - 127.5, k - 127.5, 1.0};
                    const float qf[3] = {q.x, q.y, q.z};
                    for (int r = 0; r < 3; ++r) {
                        double expected = 0;
                        for (int c = 0; c < 4; ++c) expected += reference.at(r, c) * pd[c];
                        worst = std::fmax(worst, std::fabs(expected - qf[r]));
                    }
                }
            }
        }
        EXPECT_LT(worst, 2e-4) << "voxel size " << voxelSize << "\n" << describe(f.chain);
    }
}

}  // namespace
}  // namespace zandrel
