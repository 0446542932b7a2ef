#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "chain/chain_verdict.h"
#include "chain/set_chain.h"
#include "geometry_test_util.h"

namespace zandrel {
namespace {

using namespace zandrel::test;

const ChainFiles kFiles{"/s/run.fmr", "/s/IA.trf", "/s/FA.trf", "/s/ACPC.trf"};

const std::string kNotInverted = "The fine-alignment matrix could not be inverted: /s/FA.trf";
const std::string kNonFinite =
    "The transformation chain has non-finite elements (check the voxel sizes and slice distance of "
    "/s/run.fmr and ToVMRVoxelRes of /s/IA.trf)";
const std::string kDegenerate =
    "The transformation chain maps the whole anatomical grid into less than one functional voxel (check the "
    "voxel sizes of /s/run.fmr, the matrices of /s/IA.trf, /s/FA.trf and /s/ACPC.trf, and ToVMRVoxelRes of "
    "/s/IA.trf)";

ChainFactors withChain(const Matrix4& gridToFunctional, bool faInverted = true) {
    ChainFactors factors;
    factors.gridToFunctional = gridToFunctional;
    factors.faInverted = faInverted;
    return factors;
}

Matrix4 diagonal(float sx, float sy, float sz) {
    Matrix4 m;
    m.setDiagonal(sx, sy, sz);
    return m;
}

// The grid's image holds |det| * 256^3 functional voxels: 2^-24 * 2^24 = 1 is the smallest usable.
const float kEdge = 1.0f / 256.0f;
const float kBelowEdge = std::nextafter(kEdge, 0.0f);

TEST(ChainVerdict, EachRuleRefusesWithItsReasonInOrder) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Matrix4 translatedInf = diagonal(0.5f, 0.5f, 0.25f);
    translatedInf.at(1, 3) = inf;
    Matrix4 rankTwo = fromRows({1, 0, 0, 5, 0, 1, 0, 5, 1, 1, 0, 5, 0, 0, 0, 1});
    struct Case {
        const char* what;
        ChainFactors factors;
        std::string reason;  // empty: usable
    };
    const Case cases[] = {
        {"functional scale", withChain(diagonal(0.5f, 0.5f, 0.25f)), ""},
        {"FA not inverted", withChain(diagonal(0.5f, 0.5f, 0.25f), false), kNotInverted},
        {"FA not inverted wins over non-finite", withChain(diagonal(inf, 1, 1), false), kNotInverted},
        {"infinite scale", withChain(diagonal(inf, 1, 1)), kNonFinite},
        {"infinite translation only", withChain(translatedInf), kNonFinite},
        {"NaN element", withChain(diagonal(1, nan, 1)), kNonFinite},
        {"non-finite wins over degenerate", withChain(diagonal(0, 0, inf)), kNonFinite},
        {"all zeros", withChain(diagonal(0, 0, 0)), kDegenerate},
        {"rank two", withChain(rankTwo), kDegenerate},
        {"exactly one functional voxel", withChain(diagonal(kEdge, kEdge, kEdge)), ""},
        {"just below one functional voxel", withChain(diagonal(kEdge, kEdge, kBelowEdge)), kDegenerate},
        {"mirrored, exactly one voxel", withChain(diagonal(-kEdge, kEdge, kEdge)), ""},
        {"tiny but not underflowing in double", withChain(diagonal(1e-30f, 1e-30f, 1e-30f)), kDegenerate},
    };
    for (const Case& c : cases) {
        const ChainVerdict verdict = judgeChain(c.factors, kFiles);
        EXPECT_EQ(verdict.usable, c.reason.empty()) << c.what;
        EXPECT_EQ(verdict.reason, c.reason) << c.what;
    }
}

// The records of a set with rotations, a fine alignment, an ACPC matrix and a slice flip.
struct Records {
    FmrHeader fmr;
    TrfRecord ia, fa, acpc;
    TalRecord tal;
};

TrfRecord trf(const std::string& path, const Matrix4& matrix, int fileVersion = 5) {
    TrfRecord record;
    record.path = path;
    record.matrix = matrix;
    record.FileVersion.value = fileVersion;
    record.ToVMRVoxelRes.value = 1.0f;
    return record;
}

Records realisticSet() {
    Records r;
    r.fmr.path = kFiles.fmr;
    r.fmr.InplaneResolutionX.value = 3.0f;
    r.fmr.InplaneResolutionY.value = 3.0f;
    r.fmr.SliceThickness.value = 3.0f;
    r.fmr.SliceGap.value = 0.5f;
    r.fmr.Slice1CenterZ.value = -40.0f;
    r.fmr.SliceNCenterZ.value = 48.5f;
    r.ia = trf(kFiles.ia, fromRows({0.0499f, -0.9925f, 0.1114f, 11, 0.9987f, 0.0496f, -0.0085f, -6.5f, 0.0029f,
                                     0.1117f, 0.9937f, 3.25f, 0, 0, 0, 1}));
    r.fa = trf(kFiles.fa, fromRows({1.01f, 0.008f, 0.004f, 0.7f, -0.008f, 1, 0.013f, -0.3f, -0.004f, -0.01f, 1,
                                     0.2f, 0, 0, 0, 1}));
    r.acpc = trf(kFiles.acpc, fromRows({0.9888f, 0.1494f, 0, -1.8f, -0.1489f, 0.9856f, 0.0799f, 4.2f, 0.0119f,
                                         -0.079f, 0.9968f, 2.6f, 0, 0, 0, 1}), 4);
    return r;
}

SetChain chainOf(const Records& r) { return computeSetChain(r.fmr, r.ia, r.fa, r.acpc, r.tal); }

TEST(SetChain, RealisticSetIsUsableAndCarriesItsFactors) {
    const Records records = realisticSet();
    const SetChain chain = chainOf(records);
    EXPECT_TRUE(chain.verdict.usable) << chain.verdict.reason;
    EXPECT_EQ(chain.verdict.reason, "");
    Matrix4 viaHeader;
    EXPECT_TRUE(records.fmr.computeChainMatrix(records.ia, records.fa, records.acpc, viaHeader));
    EXPECT_EQ(chain.gridToFunctional(), viaHeader);
    EXPECT_NE(chain.factors.sliceFlip, Matrix4()) << "the set should exercise the slice flip";
}

// The failures users meet, from records: the verdict names the records' own paths.
TEST(SetChain, BrokenRecordsAreRefusedNamingTheirFiles) {
    struct Case {
        const char* what;
        void (*breakIt)(Records&);
        std::string reason;
    };
    const Case cases[] = {
        {"FA matrix of zeros", [](Records& r) { r.fa.matrix = fromRows({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}); },
         kDegenerate},
        {"ToVMRVoxelRes 0", [](Records& r) { r.ia.ToVMRVoxelRes.value = 0.0f; }, kDegenerate},
        {"no in-plane resolution", [](Records& r) { r.fmr.InplaneResolutionX.value = 0.0f; }, kNonFinite},
        {"no slice distance", [](Records& r) { r.fmr.SliceThickness.value = r.fmr.SliceGap.value = 0.0f; },
         kNonFinite},
        {"FA with a NaN", [](Records& r) { r.fa.matrix.at(1, 1) = std::numeric_limits<float>::quiet_NaN(); },
         kNotInverted},
        {"FA of zeros but absent", [](Records& r) { r.fa = trf(kFiles.fa, diagonal(0, 0, 0), -1); }, ""},
    };
    for (const Case& c : cases) {
        Records records = realisticSet();
        c.breakIt(records);
        const SetChain chain = chainOf(records);
        EXPECT_EQ(chain.verdict.reason, c.reason) << c.what;
        EXPECT_EQ(chain.verdict.usable, c.reason.empty()) << c.what;
    }
}

}  // namespace
}  // namespace zandrel
