#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "voi/voi_builder.h"
#include "voi_fixtures.h"
#include "expect_throw.h"
#include "voxel_lists.h"

namespace zandrel {
namespace {

using namespace zandrel::test;
using Triples = std::vector<VoxelTriple>;

// Builds with both scans, expects identical lists and reports, returns the production result.
VoiFile buildBoth(const RoiFile& roi, const ChainRecords& c, VoiBuildReport* report = nullptr) {
    VoiBuildReport referenceReport;
    const VoiFile reference = buildVoiFileReference(roi, c.fmr, c.ia, c.fa, c.acpc, c.tal, &referenceReport);
    VoiFile production = buildVoiFile(roi, c.fmr, c.ia, c.fa, c.acpc, c.tal, report);
    EXPECT_EQ(production.vois.size(), reference.vois.size());
    for (std::size_t n = 0; n < reference.vois.size() && n < production.vois.size(); ++n)
        EXPECT_PRED_FORMAT2(test::sameVoxels, production.vois[n].voxels, reference.vois[n].voxels) << "VOI " << n + 1;
    if (report != nullptr) {
        EXPECT_EQ(report->skippedVoxels, referenceReport.skippedVoxels);
    }
    return production;
}

VoiFile buildFast(const RoiFile& roi, const ChainRecords& c) {
    return buildVoiFile(roi, c.fmr, c.ia, c.fa, c.acpc, c.tal);
}

std::string errorOf(const RoiFile& roi, const ChainRecords& c) {
    return messageThrownBy<std::runtime_error>([&] { buildVoiFile(roi, c.fmr, c.ia, c.fa, c.acpc, c.tal); });
}

TEST(VoiBuilder, NamesColoursAndCountsFollowPlotOrder) {
    std::vector<Triples> plots(7, Triples{{0, 0, 0}});
    plots[2] = {};
    plots[4] = {{1, 0, 0}, {2, 0, 0}, {2, 0, 0}};  // listed twice: one voxel
    ChainRecords c = identityChain();
    const VoiFile file = buildVoiFile(makeRoi(plots), c.fmr, c.ia, c.fa, c.acpc, c.tal);
    const std::int32_t colours[7][3] = {{255, 40, 50},  {80, 255, 80},   {40, 30, 255}, {255, 40, 255},
                                        {80, 255, 255}, {255, 255, 30}, {255, 40, 50}};
    ASSERT_EQ(file.vois.size(), 7u);
    EXPECT_EQ(file.NrOfVOIs.value, 7);
    EXPECT_TRUE(file.fileName.empty());
    for (std::size_t p = 0; p < 7; ++p) {
        const Voi& voi = file.vois[p];
        EXPECT_EQ(voi.NameOfVOI.value, "VOI " + std::to_string(p + 1));
        EXPECT_EQ((std::vector<int>{voi.red, voi.green, voi.blue}),
                  (std::vector<int>{colours[p][0], colours[p][1], colours[p][2]}))
            << voi.NameOfVOI.value;
        EXPECT_EQ(voi.NrOfVoxels.value, static_cast<std::int32_t>(voi.voxels.size())) << voi.NameOfVOI.value;
    }
    // The name and count lines as the host reads them.
    std::ostringstream text;
    file.write(text, true);
    EXPECT_NE(text.str().find("\nNameOfVOI:  VOI 7\nColorOfVOI: 255 40 50\n\nNrOfVoxels: 1\n124 124 124\n"),
              std::string::npos);
    EXPECT_PRED_FORMAT2(test::sameVoxels, file.vois[0].voxels, (Triples{{124, 124, 124}}));
    EXPECT_TRUE(file.vois[2].voxels.empty());
    EXPECT_PRED_FORMAT2(test::sameVoxels, file.vois[4].voxels, (Triples{{125, 124, 124}, {126, 124, 124}}));
}

TEST(VoiBuilder, ReferenceSpaceAndTripleForm) {
    struct Case {
        const char* what;
        std::int32_t acpcVersion;
        std::int32_t talVersion;
        const char* space;
        Triples voxels;
    };
    // Functional voxels (1, 2, 3) and (0, 0, 4) meet anatomical grid points (125, 126, 127) and (124, 124, 128).
    const Case cases[] = {
        {"no ACPC, no TAL", -1, -1, "GF", {{125, 126, 127}, {124, 124, 128}}},
        {"no ACPC, TAL given", -1, 3, "GF", {{1, 3, 2}, {0, 4, 4}}},
        {"ACPC, no TAL", 1, -1, "ACPC", {{125, 126, 127}, {124, 124, 128}}},
        {"ACPC and TAL", 1, 3, "TAL", {{1, 3, 2}, {0, 4, 4}}},
        {"TAL FileVersion 0: Talairach form, no mapping", 1, 0, "TAL", {{1, 3, 2}, {0, 4, 4}}},
        {"TAL FileVersion -2: Talairach form, no mapping", 1, -2, "TAL", {{1, 3, 2}, {0, 4, 4}}},
    };
    for (const Case& k : cases) {
        ChainRecords c = identityChain();
        c.acpc = makeTrf(Matrix4{}, k.acpcVersion);
        c.tal = atlasTal(k.talVersion);
        const VoiFile file = buildFast(makeRoi({{{0, 0, 4}, {1, 2, 3}}}), c);
        EXPECT_EQ(file.ReferenceSpace.value, k.space) << k.what;
        EXPECT_EQ(file.ReferenceSpace.width, 28) << k.what;
        EXPECT_FALSE(file.ReferenceSpace.quoted) << k.what;
        ASSERT_EQ(file.vois.size(), 1u);
        EXPECT_PRED_FORMAT2(test::sameVoxels, file.vois[0].voxels, k.voxels) << k.what;
    }
}

TEST(VoiBuilder, LandmarkMappingAppliesOnlyForPositiveFileVersion) {
    ChainRecords c = identityChain();
    c.acpc = makeTrf(Matrix4{}, 1);
    // Right of AC the mapping halves distances: anatomical grid k = 125 and 126 map to 126.5
    // and 127, both inside functional slice 3 (covering 126.5 to 127.5 on the anatomical grid).
    c.tal = atlasTal(2);
    c.tal.landmarks[landmark::RP].z = 128 - 34;
    const RoiFile roi = makeRoi({{{4, 4, 3}}});
    EXPECT_PRED_FORMAT2(test::sameVoxels, buildBoth(roi, c).vois[0].voxels, (Triples{{3, 0, 0}, {2, 0, 0}}));
    c.tal.FileVersion.value = 0;
    EXPECT_PRED_FORMAT2(test::sameVoxels, buildBoth(roi, c).vois[0].voxels, (Triples{{1, 0, 0}}));
}

TEST(VoiBuilder, HalfCellBoundariesOfTheFunctionalGrid) {
    // With 7 cells per axis, anatomical grid points land exactly on cell boundaries:
    // q = n - 124.5. Cell 0 takes q = -0.5 (anatomical grid point 124), cell 6 takes q = 5.5
    // (point 130), and q = 6.5 (point 131) lies outside.
    FmrShape shape;
    shape.dimX = shape.dimY = shape.dimZ = 7;
    ChainRecords c = identityChain(shape);
    Triples all;
    for (std::int32_t z = 0; z < 7; ++z)
        for (std::int32_t y = 0; y < 7; ++y)
            for (std::int32_t x = 0; x < 7; ++x) all.push_back({x, y, z});
    const VoiFile file = buildBoth(makeRoi({all, {{0, 0, 0}}, {{6, 6, 6}}}), c);
    ASSERT_EQ(file.vois[0].voxels.size(), 343u);
    EXPECT_EQ(file.vois[0].voxels.front(), (VoxelTriple{124, 124, 124}));
    EXPECT_EQ(file.vois[0].voxels.back(), (VoxelTriple{130, 130, 130}));
    EXPECT_PRED_FORMAT2(test::sameVoxels, file.vois[1].voxels, (Triples{{124, 124, 124}}));
    EXPECT_PRED_FORMAT2(test::sameVoxels, file.vois[2].voxels, (Triples{{130, 130, 130}}));
}

TEST(VoiBuilder, PlotsAreConvertedOnTheirOwnMask) {
    ChainRecords c = identityChain();
    const Triples shared{{2, 2, 2}, {3, 2, 2}};
    const VoiFile file = buildFast(makeRoi({shared, {{3, 2, 2}, {3, 3, 2}}, shared, {}}), c);
    ASSERT_EQ(file.vois.size(), 4u);
    EXPECT_PRED_FORMAT2(test::sameVoxels, file.vois[0].voxels, (Triples{{126, 126, 126}, {127, 126, 126}}));
    EXPECT_PRED_FORMAT2(test::sameVoxels, file.vois[1].voxels, (Triples{{127, 126, 126}, {127, 127, 126}}));
    EXPECT_PRED_FORMAT2(test::sameVoxels, file.vois[2].voxels, file.vois[0].voxels);
    EXPECT_TRUE(file.vois[3].voxels.empty());
    EXPECT_EQ(file.vois[3].NrOfVoxels.value, 0);
}

TEST(VoiBuilder, VoxelsOutsideTheFunctionalGridAreSkippedAndCounted) {
    ChainRecords c = identityChain();
    const std::int32_t big = std::numeric_limits<std::int32_t>::max();
    const RoiFile roi = makeRoi({
        {{8, 0, 0}, {0, 0, 0}, {-1, 0, 0}, {0, 8, 0}, {0, 0, 8}, {0, -1, 0}, {0, 0, -2147483647 - 1}},
        {{big, big, big}},
        {{7, 7, 7}},
    });
    VoiBuildReport report;
    report.skippedVoxels = {99};
    const VoiFile file = buildBoth(roi, c, &report);
    EXPECT_EQ(report.skippedVoxels, (std::vector<std::int64_t>{6, 1, 0}));
    EXPECT_PRED_FORMAT2(test::sameVoxels, file.vois[0].voxels, (Triples{{124, 124, 124}}));
    EXPECT_TRUE(file.vois[1].voxels.empty());
    EXPECT_PRED_FORMAT2(test::sameVoxels, file.vois[2].voxels, (Triples{{131, 131, 131}}));
}

TEST(VoiBuilder, RoiWithoutPlotsGivesAnEmptyFile) {
    ChainRecords c = identityChain();
    VoiBuildReport report;
    const VoiFile file = buildVoiFile(makeRoi({}), c.fmr, c.ia, c.fa, c.acpc, c.tal, &report);
    EXPECT_TRUE(file.vois.empty());
    EXPECT_EQ(file.NrOfVOIs.value, 0);
    EXPECT_TRUE(report.skippedVoxels.empty());
}

TEST(VoiBuilder, UnusableFunctionalGridIsRefused) {
    struct Case {
        std::int32_t x, y, z;
        const char* sizes;
    };
    const Case cases[] = {
        {0, 64, 30, "0 x 64 x 30"},
        {64, -1, 30, "64 x -1 x 30"},
        {64, 64, 0, "64 x 64 x 0"},
        {65536, 65536, 1, "65536 x 65536 x 1"},
        {2147483647, 2147483647, 2147483647, "2147483647 x 2147483647 x 2147483647"},
        {512, 512, 129, "512 x 512 x 129"},
    };
    for (const Case& k : cases) {
        FmrShape shape;
        shape.dimX = k.x;
        shape.dimY = k.y;
        shape.dimZ = k.z;
        const ChainRecords c = identityChain(shape);
        EXPECT_EQ(errorOf(makeRoi({{{0, 0, 0}}}), c),
                  std::string("The functional grid of /study/run1.fmr is unusable: ") + k.sizes +
                      " (ResolutionX x ResolutionY x NrOfSlices must be positive and hold at most 33554432 cells)")
            << k.sizes;
    }
}

TEST(VoiBuilder, DegenerateChainsNeitherCrashNorDisagree) {
    // A zero voxel size makes the chain infinite; a zero ACPC row makes it singular, so that
    // every k meets the same functional slice (the production scan then visits every point).
    ChainRecords infinite = identityChain();
    infinite.fmr.InplaneResolutionX.value = 0.0f;
    EXPECT_TRUE(buildBoth(makeRoi({{{3, 3, 3}}}), infinite).vois[0].voxels.empty());

    FmrShape odd;
    odd.dimZ = 5;
    ChainRecords singular = identityChain(odd);
    Matrix4 flat;
    flat.at(2, 2) = 0.0f;
    singular.acpc = makeTrf(flat, 1);
    const VoiFile file = buildBoth(makeRoi({{{1, 2, 2}}}), singular);
    ASSERT_EQ(file.vois[0].voxels.size(), 256u);
    EXPECT_EQ(file.vois[0].voxels.front(), (VoxelTriple{125, 126, 0}));
    EXPECT_EQ(file.vois[0].voxels.back(), (VoxelTriple{125, 126, 255}));
}

// The complete .voi text of a built file and its report, for whole-file comparison.
std::string textOf(const VoiFile& file, const VoiBuildReport& report) {
    std::ostringstream out;
    file.write(out, true);
    for (const std::int64_t skipped : report.skippedVoxels) out << "skipped " << skipped << "\n";
    return out.str();
}

// A set with a slice flip, rotated alignments, 3 mm voxels and landmarks that stretch
// every axis, and plots with voxels inside and outside the functional grid.
ChainRecords alignedSet(std::int32_t talVersion) {
    FmrShape shape;
    shape.dimX = 20;
    shape.dimY = 18;
    shape.dimZ = 9;
    shape.resolutionX = shape.resolutionY = 3.0f;
    shape.thickness = 3.0f;
    shape.gap = 0.5f;
    shape.sliceDirection[2] = 12.0f;
    ChainRecords c{makeFmr(shape), makeTrf(rigid(4, -3, 90, 6.5f, -2.0f, 1.25f), 3),
                   makeTrf(rigid(1, 0.5, -1, 0.7f, -0.3f, 0.2f), 4), makeTrf(rigid(-5, 2, 1, -1.8f, 4.2f, 2.6f), 4),
                   atlasTal(talVersion)};
    c.tal.landmarks[landmark::AP].x = 62;
    c.tal.landmarks[landmark::PP].x = 236;
    c.tal.landmarks[landmark::SP].y = 50;
    c.tal.landmarks[landmark::LP].z = 190;
    return c;
}

const RoiFile kAlignedRoi = makeRoi({{{9, 9, 4}, {10, 9, 4}, {10, 10, 5}, {30, 0, 0}},
                                     {{0, 0, 0}, {19, 17, 8}},
                                     {},
                                     {{5, 12, 2}, {6, 12, 2}, {6, 13, 2}, {6, 13, 3}}});

TEST(VoiBuilder, PrecomputedChainGivesTheSameFileAsTheRecords) {
    for (const std::int32_t talVersion : {-1, 0, 1}) {
        const ChainRecords c = alignedSet(talVersion);
        const SetChain chain = computeSetChain(c.fmr, c.ia, c.fa, c.acpc, c.tal);
        ASSERT_TRUE(chain.verdict.usable) << chain.verdict.reason;
        VoiBuildReport fromRecords;
        VoiBuildReport fromChain;
        const VoiFile built = buildVoiFile(kAlignedRoi, c.fmr, c.ia, c.fa, c.acpc, c.tal, &fromRecords);
        EXPECT_EQ(textOf(buildVoiFile(kAlignedRoi, c.fmr, chain, &fromChain), fromChain), textOf(built, fromRecords))
            << "TAL FileVersion " << talVersion;
        ASSERT_EQ(built.vois.size(), 4u);
        EXPECT_GT(built.vois[0].voxels.size(), 50u) << "the set should keep points";
        EXPECT_EQ(fromRecords.skippedVoxels, (std::vector<std::int64_t>{1, 0, 0, 0}));
    }
}

// The builder scans with the chain it is handed, not one of its own from the header: a
// chain computed from other alignment records gives what those records give.
TEST(VoiBuilder, HandedChainIsTheOneScanned) {
    const ChainRecords own = alignedSet(1);
    ChainRecords other = alignedSet(-1);
    other.acpc = makeTrf(rigid(10, 0, -4, 3.0f, 0.0f, -2.0f), 4);
    const SetChain otherChain = computeSetChain(own.fmr, other.ia, other.fa, other.acpc, other.tal);
    VoiBuildReport fromRecords;
    VoiBuildReport fromChain;
    const std::string expected = textOf(
        buildVoiFile(kAlignedRoi, own.fmr, other.ia, other.fa, other.acpc, other.tal, &fromRecords), fromRecords);
    EXPECT_EQ(textOf(buildVoiFile(kAlignedRoi, own.fmr, otherChain, &fromChain), fromChain), expected);
    VoiBuildReport ownReport;
    EXPECT_NE(textOf(buildVoiFile(kAlignedRoi, own.fmr, own.ia, own.fa, own.acpc, own.tal, &ownReport), ownReport),
              expected);
}

}  // namespace
}  // namespace zandrel
