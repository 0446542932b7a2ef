#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "chain/chain_factors.h"
#include "geometry/point4.h"
#include "geometry_test_util.h"

namespace zandrel {
namespace {

using namespace zandrel::test;

// 2 x 2 mm in plane, 3 mm slices with a 1 mm gap; slice centres with the given
// differences (first minus last).
FmrHeader fmrWith(float dX = 0, float dY = 0, float dZ = 0) {
    FmrHeader fmr;
    fmr.InplaneResolutionX.value = 2.0f;
    fmr.InplaneResolutionY.value = 2.0f;
    fmr.SliceThickness.value = 3.0f;
    fmr.SliceGap.value = 1.0f;
    fmr.Slice1CenterX.value = dX;
    fmr.Slice1CenterY.value = dY;
    fmr.Slice1CenterZ.value = dZ;
    return fmr;
}

TrfRecord trf(const Matrix4& matrix, int fileVersion = 1, float voxelSize = 1.0f) {
    TrfRecord record;
    record.FileVersion.value = fileVersion;
    record.matrix = matrix;
    record.ToVMRVoxelRes.value = voxelSize;
    return record;
}

const Matrix4 kWorkedExample = fromRows({0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 1});

// FA and ACPC with FileVersion -1 are the identity whatever their matrices hold.
TEST(ChainMatrix, WorkedExampleIsTheFunctionalScale) {
    const Matrix4 ignored = fromRows({3, 0, 0, 9, 0, 3, 0, 9, 0, 0, 3, 9, 0, 0, 0, 1});
    Matrix4 result;
    EXPECT_TRUE(fmrWith().computeChainMatrix(trf(Matrix4()), trf(ignored, -1), trf(ignored, -1), result));
    EXPECT_EQ(result, kWorkedExample);
}

TEST(ChainMatrix, SliceFlipFollowsTheLargestCentreDifference) {
    struct Case {
        const char* name;
        float dX, dY, dZ;
        float column, slice;  // F[0][0], F[2][2]
    };
    const Case cases[] = {
        {"no differences", 0, 0, 0, 1, 1},
        {"along z towards -z", 0.5f, -1, -30, 1, -1},
        {"along z towards +z", 0.5f, -1, 30, 1, 1},
        {"along x, dX > 0", 30, 1, -2, -1, 1},
        {"along x, dX < 0", -30, 1, -2, 1, 1},
        {"along y, dZ < 0", 0, 10, -1, 1, -1},
        {"along y, dZ = 0", 0, 10, 0, 1, 1},
        {"|dX| = |dZ| > |dY|, dX > 0, dZ < 0", 5, 1, -5, -1, 1},
        {"|dX| = |dZ| > |dY|, dX < 0", -5, 1, -5, 1, 1},
        {"|dX| = |dY| > |dZ|, dZ < 0", 5, -5, -1, -1, 1},
        {"|dZ| just above |dX|", 5, 0, std::nextafter(-5.0f, -6.0f), 1, -1},
    };
    for (const Case& c : cases) {
        const ChainFactors f = computeChainFactors(fmrWith(c.dX, c.dY, c.dZ), trf(Matrix4()),
                                                   TrfRecord(), TrfRecord());
        Matrix4 expected;
        expected.setDiagonal(c.column, 1.0f, c.slice);
        EXPECT_EQ(f.sliceFlip, expected) << c.name;
        EXPECT_EQ(f.gridToFunctional.at(0, 0), 0.5f * c.column) << c.name;  // F is the leftmost factor
        EXPECT_EQ(f.gridToFunctional.at(2, 2), 0.25f * c.slice) << c.name;
    }
}

TEST(ChainMatrix, ExtraMatrixCountsOnlyWithExtraVMRTransfOneAndADiagonalOtherThanOnes) {
    TrfRecord ia = trf(Matrix4());
    ia.ExtraVMRTransf.value = 1;
    ia.extraMatrix = fromRows({1, 0.5f, 0, 12, 0, 1, 0, -3, 0.25f, 0, 1, 7, 0, 0, 0, 4});
    EXPECT_EQ(computeChainFactors(fmrWith(), ia, TrfRecord(), TrfRecord()).gridToFunctional, kWorkedExample);

    ia.extraMatrix.setDiagonal(2.0f, 2.0f, 2.0f);
    for (int value : {0, 2, -1}) {
        ia.ExtraVMRTransf.value = value;
        EXPECT_EQ(computeChainFactors(fmrWith(), ia, TrfRecord(), TrfRecord()).extraAnatomical, Matrix4())
            << "ExtraVMRTransf " << value;
    }
}

// With a column flip and a scaling extra matrix, X = F * E: F enters M twice and the
// column axis comes out unmirrored.
TEST(ChainMatrix, ExtraMatrixIsAppliedTogetherWithTheFlip) {
    TrfRecord ia = trf(Matrix4());
    ia.ExtraVMRTransf.value = 1;
    ia.extraMatrix.setDiagonal(2.0f, 2.0f, 1.0f);
    ia.extraMatrix.at(0, 3) = 4.0f;
    const ChainFactors f = computeChainFactors(fmrWith(60, 0, 0), ia, TrfRecord(), TrfRecord());
    EXPECT_EQ(f.extraAnatomical, fromRows({-2, 0, 0, -4, 0, 2, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    EXPECT_EQ(f.gridToFunctional, fromRows({1, 0, 0, 2, 0, 1, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 1}));
}

TEST(ChainMatrix, FailedFineAlignmentInverseIsReportedAndLeavesIdentity) {
    Matrix4 broken;
    broken.at(1, 1) = std::numeric_limits<float>::quiet_NaN();
    const ChainFactors f = computeChainFactors(fmrWith(), trf(Matrix4()), trf(broken), TrfRecord());
    EXPECT_FALSE(f.faInverted);
    EXPECT_EQ(f.anatomicalToAligned, Matrix4());
    Matrix4 result;
    EXPECT_FALSE(fmrWith().computeChainMatrix(trf(Matrix4()), trf(broken), TrfRecord(), result));
    EXPECT_EQ(result, kWorkedExample);

    // A header without voxel sizes still computes; the caller sees a non-finite matrix.
    EXPECT_TRUE(FmrHeader().computeChainMatrix(trf(Matrix4()), TrfRecord(), TrfRecord(), result));
    EXPECT_FALSE(result.isFinite());
}

// A realistic set: a rotated, translated initial alignment, a small fine correction, an
// ACPC rotation with its centring, 3 x 3 x 3.5 mm functional voxels (0.5 mm gap) acquired
// foot to head (slice flip), anatomical voxels of 1 and 0.75 mm. On grid points the float
// chain agrees with the same chain computed in double to about 1e-4 functional voxel (what
// the float inverse of FA and the float products leave); a factor in the wrong place or
// order is off by whole voxels.
TEST(ChainMatrix, RealisticChainAgreesWithDoubleReference) {
    FmrHeader fmr = fmrWith(-1.0f, -2.0f, -88.5f);
    fmr.InplaneResolutionX.value = fmr.InplaneResolutionY.value = fmr.SliceThickness.value = 3.0f;
    fmr.SliceGap.value = 0.5f;
    Matrix4d faD = rigidMotion(0.01, 0.004, -0.008, 0.7, -0.3, 0.2);
    faD.at(0, 0) *= 1.01;
    faD.at(1, 2) += 0.003;
    const TrfRecord fa = trf(toFloat(faD));
    const TrfRecord acpc = trf(toFloat(rigidMotion(0.08, 0.0, -0.15, -1.8, 4.2, 2.6)));

    for (float voxelSize : {1.0f, 0.75f}) {
        const TrfRecord ia = trf(toFloat(rigidMotion(0.12, -0.05, 1.5708, 11.0, -6.5, 3.25)), 1, voxelSize);
        const ChainFactors f = computeChainFactors(fmr, ia, fa, acpc);
        ASSERT_TRUE(f.faInverted);
        Matrix4d outer, scaleVmr;
        outer.at(0, 0) = outer.at(1, 1) = 1.0 / 3.0;
        outer.at(2, 2) = -1.0 / 3.5;  // flip times S_fmr
        scaleVmr.at(0, 0) = scaleVmr.at(1, 1) = scaleVmr.at(2, 2) = voxelSize;
        const Matrix4d reference = outer * inverse(toDouble(ia.matrix)) * scaleVmr *
                                   inverse(toDouble(fa.matrix)) * toDouble(acpc.matrix);
        double worst = 0;
        for (int i = 0; i < 256 * 256 * 256; i += 61) {  // about 275,000 grid points
            const float g[3] = {float(i % 256) - 127.5f, float(i / 256 % 256) - 127.5f,
                                float(i / 65536) - 127.5f};
            Point4 q;
            f.gridToFunctional.transform(Point4{g[0], g[1], g[2], 1.0f}, q);
            const float qf[3] = {q.x, q.y, q.z};
            for (int r = 0; r < 3; ++r) {
                const double expected = reference.at(r, 0) * g[0] + reference.at(r, 1) * g[1] +
                                        reference.at(r, 2) * g[2] + reference.at(r, 3);
                worst = std::fmax(worst, std::fabs(expected - qf[r]));
            }
        }
        EXPECT_LT(worst, 2e-4) << "voxel size " << voxelSize;
    }
}

}  // namespace
}  // namespace zandrel
