// Footprints counted by hand: on a run of 2 mm voxels without rotation every functional cell
// holds exactly 2 x 2 x 2 anatomical grid points, so K, N, occupancies, selections and the
// coverage figures are known exactly. Duplicate triples, empty VOIs, VOIs outside the run
// and triples off the grid.

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "chain/set_chain.h"
#include "expect_throw.h"
#include "runs/footprint.h"
#include "voi/voi_builder.h"
#include "voi_fixtures.h"
#include "voxel_lists.h"

namespace zandrel {
namespace {

using namespace zandrel::test;

// 8 x 8 x 8 cells of 2 mm: grid point n - 127.5 maps to 0.5 n - 60.25 on every axis, so
// cell c holds the grid indices 120 + 2c and 121 + 2c.
ChainRecords twoMillimetreRun(std::int32_t talFileVersion) {
    FmrShape shape;
    shape.resolutionX = 2.0f;
    shape.resolutionY = 2.0f;
    shape.thickness = 2.0f;
    ChainRecords c = identityChain(shape);
    c.acpc = makeTrf(Matrix4{}, 1);
    c.tal = talFileVersion == -1 ? TalRecord{} : atlasTal(talFileVersion);
    return c;
}

std::int32_t firstIndexOf(std::int32_t cell) { return 120 + 2 * cell; }

// `count` of the 8 grid points (i, j, k) of a cell, i fastest.
std::vector<VoxelTriple> pointsOf(VoxelTriple cell, int count) {
    std::vector<VoxelTriple> points;
    for (int n = 0; n < count; ++n)
        points.push_back({firstIndexOf(cell.x) + (n & 1), firstIndexOf(cell.y) + ((n >> 1) & 1),
                          firstIndexOf(cell.z) + ((n >> 2) & 1)});
    return points;
}

void append(std::vector<VoxelTriple>& to, const std::vector<VoxelTriple>& more) { to.insert(to.end(), more.begin(), more.end()); }

Voi voiOf(const std::string& name, const std::vector<VoxelTriple>& points, bool talairachForm) {
    Voi voi;
    voi.NameOfVOI.value = name;
    for (const VoxelTriple& p : points)
        voi.voxels.push_back(talairachForm ? VoxelTriple{128 - p.z, 128 - p.x, 128 - p.y} : p);
    voi.NrOfVoxels.value = static_cast<std::int32_t>(voi.voxels.size());
    return voi;
}

std::string describe(const VoiFootprint& voi) {
    std::ostringstream out;
    out << voi.name << ": " << voi.voiVoxels << " points, " << voi.inRun << " in the run;";
    for (const FootprintCell& c : voi.touched) out << " " << c.cell << " K " << c.voiPoints << " N " << c.allPoints;
    return out.str();
}

struct ExpectedCell {
    VoxelTriple cell;
    std::uint32_t k;
};

void expectTouched(const VoiFootprint& voi, const std::vector<ExpectedCell>& expected) {
    ASSERT_EQ(voi.touched.size(), expected.size()) << describe(voi);
    std::int64_t sum = 0;
    for (std::size_t n = 0; n < expected.size(); ++n) {
        EXPECT_EQ(voi.touched[n].cell, expected[n].cell) << describe(voi);
        EXPECT_EQ(voi.touched[n].voiPoints, expected[n].k) << describe(voi);
        EXPECT_EQ(voi.touched[n].allPoints, 8u) << describe(voi);
        sum += voi.touched[n].voiPoints;
    }
    EXPECT_EQ(sum, voi.inRun) << describe(voi);
}

class HandCountedFootprint : public ::testing::TestWithParam<std::int32_t> {};

TEST_P(HandCountedFootprint, CountsOccupanciesAndFigures) {
    const std::int32_t talFileVersion = GetParam();
    const ChainRecords c = twoMillimetreRun(talFileVersion);
    const SetChain chain = computeSetChain(c.fmr, c.ia, c.fa, c.acpc, c.tal);
    const bool talairachForm = talFileVersion != -1;

    // Cells in file order (5, 0, 1), (0, 3, 0), (2, 0, 0); three points listed twice.
    std::vector<VoxelTriple> mixed = pointsOf({5, 0, 1}, 8);
    append(mixed, pointsOf({0, 3, 0}, 3));
    append(mixed, pointsOf({2, 0, 0}, 1));
    append(mixed, pointsOf({0, 3, 0}, 2));
    append(mixed, pointsOf({2, 0, 0}, 1));
    // Two points in cell (7, 7, 7), two just beyond the run's last cell.
    std::vector<VoxelTriple> partly = pointsOf({7, 7, 7}, 2);
    partly.push_back({136, 134, 134});
    partly.push_back({134, 119, 134});
    const std::vector<VoxelTriple> outside = {{0, 0, 0}, {255, 255, 255}, {119, 119, 119}, {128, 128, 136}};

    VoiFile file;
    file.ReferenceSpace.value = talairachForm ? "TAL" : "ACPC";
    file.vois = {voiOf("mixed", mixed, talairachForm), voiOf("empty", {}, talairachForm),
                 voiOf("outside", outside, talairachForm), voiOf("partly", partly, talairachForm)};
    const Footprint footprint = computeFootprint(file, chain, c.fmr);

    EXPECT_EQ(footprint.dims, (std::array<std::int32_t, 3>{{8, 8, 8}}));
    ASSERT_EQ(footprint.vois.size(), 4u);
    const VoiFootprint& m = footprint.vois[0];
    EXPECT_EQ(m.name, "mixed");
    EXPECT_EQ(m.voiVoxels, 12);
    EXPECT_EQ(m.inRun, 12);
    expectTouched(m, {{{2, 0, 0}, 1}, {{0, 3, 0}, 3}, {{5, 0, 1}, 8}});
    EXPECT_EQ(m.touched[1].occupancy(), 0.375);
    EXPECT_PRED_FORMAT2(sameVoxels, selectedCells(m, 0.5), (std::vector<VoxelTriple>{{5, 0, 1}}));
    EXPECT_PRED_FORMAT2(sameVoxels, selectedCells(m, 0.375), (std::vector<VoxelTriple>{{0, 3, 0}, {5, 0, 1}}));
    EXPECT_EQ(selectedCells(m, 0.0).size(), 3u);
    const CoverageFigures mf = coverageOf(m, 0.375);
    EXPECT_EQ(mf.coverage, 1.0);
    EXPECT_EQ(mf.touched, 3);
    EXPECT_EQ(mf.selected, 2);
    EXPECT_EQ(mf.occupancyMean, (0.375 + 1.0) / 2.0);

    const CoverageFigures empty = coverageOf(footprint.vois[1], 0.5);
    EXPECT_EQ(empty.voiVoxels, 0);
    EXPECT_FALSE(empty.coverage.has_value());
    EXPECT_EQ(empty.touched, 0);
    EXPECT_FALSE(empty.occupancyMean.has_value());

    const CoverageFigures out = coverageOf(footprint.vois[2], 0.5);
    EXPECT_EQ(out.voiVoxels, 4);
    EXPECT_EQ(out.inRun, 0);
    EXPECT_EQ(out.coverage, 0.0);
    EXPECT_EQ(out.touched, 0);
    EXPECT_FALSE(out.occupancyMean.has_value());

    const VoiFootprint& p = footprint.vois[3];
    expectTouched(p, {{{7, 7, 7}, 2}});
    const CoverageFigures pf = coverageOf(p, 0.5);
    EXPECT_EQ(pf.coverage, 0.5);
    EXPECT_EQ(pf.selected, 0);
    EXPECT_EQ(coverageOf(p, 0.25).occupancyMean, 0.25);
}

// Grid indices; Talairach triples without and with the (here exact) landmark mapping.
INSTANTIATE_TEST_SUITE_P(Forms, HandCountedFootprint, ::testing::Values(-1, 0, 2));

// A run wider than the anatomical grid: 140 columns of 2 mm put grid index i at column
// 0.5 i + 5.75, so columns 0 to 5 and 134 to 139 hold no grid point. Converted and placed
// back with a threshold of 1, a ROI comes back without those voxels, in slice order.
TEST(Footprint, RoundTripLeavesOutVoxelsNoGridPointReaches) {
    FmrShape shape;
    shape.dimX = 140;
    shape.resolutionX = 2.0f;
    shape.resolutionY = 2.0f;
    shape.thickness = 2.0f;
    ChainRecords c = identityChain(shape);
    c.acpc = makeTrf(Matrix4{}, 1);
    const SetChain chain = computeSetChain(c.fmr, c.ia, c.fa, c.acpc, c.tal);
    const RoiFile roi = makeRoi({{{70, 7, 7}, {2, 3, 3}, {6, 3, 3}, {139, 0, 0}, {5, 1, 1}, {133, 2, 2}, {134, 2, 2}}});
    const Footprint footprint = computeFootprint(buildVoiFile(roi, c.fmr, chain), chain, c.fmr);
    ASSERT_EQ(footprint.vois.size(), 1u);
    EXPECT_PRED_FORMAT2(sameVoxels, selectedCells(footprint.vois[0], 1.0),
                        (std::vector<VoxelTriple>{{133, 2, 2}, {6, 3, 3}, {70, 7, 7}}));
    EXPECT_EQ(footprint.vois[0].voiVoxels, 24);
}

TEST(Footprint, NothingLandsInTheRunGivesEmptyCellLists) {
    const ChainRecords c = twoMillimetreRun(-1);
    VoiFile file;
    file.vois = {voiOf("far", {{3, 4, 5}, {250, 2, 9}}, false), voiOf("none", {}, false)};
    const Footprint footprint = computeFootprint(file, computeSetChain(c.fmr, c.ia, c.fa, c.acpc, c.tal), c.fmr);
    ASSERT_EQ(footprint.vois.size(), 2u);
    EXPECT_EQ(footprint.vois[0].voiVoxels, 2);
    EXPECT_EQ(footprint.vois[0].inRun, 0);
    EXPECT_TRUE(footprint.vois[0].touched.empty());
    EXPECT_TRUE(footprint.vois[1].touched.empty());
}

TEST(Footprint, ATripleOffTheGridRefusesTheFile) {
    const ChainRecords c = twoMillimetreRun(-1);
    const SetChain chain = computeSetChain(c.fmr, c.ia, c.fa, c.acpc, c.tal);
    VoiFile file;
    file.vois = {voiOf("inside", pointsOf({1, 1, 1}, 8), false), voiOf("beyond", {{130, 130, 130}, {256, 0, 7}}, false)};
    EXPECT_TRUE(throwsWithMessage<std::runtime_error>([&] { computeFootprint(file, chain, c.fmr); },
                                                      "VOI 2 (\"beyond\"): voxel 256 0 7 lies outside the grid"));
    // In Talairach form 128 - k must be a grid index, so -128 is off the grid.
    const ChainRecords t = twoMillimetreRun(1);
    VoiFile tal;
    tal.ReferenceSpace.value = "TAL";
    tal.vois = {voiOf("low", {}, true)};
    tal.vois[0].voxels = {{0, 0, 0}, {-128, 0, 0}};
    EXPECT_TRUE(throwsWithMessage<std::runtime_error>(
        [&] { computeFootprint(tal, computeSetChain(t.fmr, t.ia, t.fa, t.acpc, t.tal), t.fmr); },
        "VOI 1 (\"low\"): voxel -128 0 0 lies outside the grid"));
}

}  // namespace
}  // namespace zandrel
