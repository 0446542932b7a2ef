// The shared grid-to-functional tables give the reference expression's floats, bit for bit,
// and its nearest cell, with and without the landmark mapping.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "chain/set_chain.h"
#include "geometry/volume_grid.h"
#include "voi/grid_tables.h"
#include "voi/voi_scan.h"
#include "voi_fixtures.h"

namespace zandrel {
namespace {

using namespace zandrel::test;

std::uint32_t bitsOf(float v) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

// An oblique chain on an odd-sized grid with 3 mm voxels and a mirrored slice axis.
ChainRecords obliqueRecords(std::int32_t talFileVersion) {
    FmrShape shape;
    shape.dimX = 37;
    shape.dimY = 41;
    shape.dimZ = 13;
    shape.resolutionX = 3.0f;
    shape.resolutionY = 3.0f;
    shape.thickness = 3.5f;
    shape.gap = 0.5f;
    shape.sliceDirection[2] = -40.0f;
    ChainRecords c{makeFmr(shape), makeTrf(rigid(4.0, -7.0, 11.0, 3.25f, -8.5f, 2.0f), 3),
                   makeTrf(rigid(1.0, 0.5, -1.5, 0.7f, 0.2f, -0.4f), 2), makeTrf(rigid(-3.0, 2.0, 1.0, 1.0f, 4.0f, -2.0f), 4),
                   atlasTal(talFileVersion)};
    // Landmarks away from the atlas: every segment of the mapping has its own slope.
    c.tal.landmarks[landmark::PC] = Landmark{149, 127, 129};
    c.tal.landmarks[landmark::AP] = Landmark{61, 128, 128};
    c.tal.landmarks[landmark::PP] = Landmark{226, 128, 128};
    c.tal.landmarks[landmark::SP] = Landmark{128, 57, 128};
    c.tal.landmarks[landmark::IP] = Landmark{128, 167, 128};
    c.tal.landmarks[landmark::RP] = Landmark{128, 128, 63};
    c.tal.landmarks[landmark::LP] = Landmark{128, 128, 191};
    return c;
}

TEST(GridTables, PositionsAndCellsAreTheReferenceExpressions) {
    for (const std::int32_t talFileVersion : {-1, 0, 1}) {
        const ChainRecords c = obliqueRecords(talFileVersion);
        const SetChain chain = computeSetChain(c.fmr, c.ia, c.fa, c.acpc, c.tal);
        const GridToFunctionalTables tables(chain, c.fmr);
        const ScanSetup setup = scanSetupOf(chain, c.fmr);
        EXPECT_EQ(tables.firstAxisEven(), talFileVersion <= 0) << "TAL FileVersion " << talFileVersion;
        EXPECT_TRUE(tables.firstAxisAscending()) << "TAL FileVersion " << talFileVersion;

        std::vector<std::int32_t> indices;
        for (std::int32_t n = 0; n < kAnatomicalGridSize; n += 5) indices.push_back(n);
        indices.push_back(255);
        std::int64_t inside = 0;
        for (const std::int32_t k : indices) {
            for (const std::int32_t j : indices) {
                for (const std::int32_t i : indices) {
                    float expected[3];
                    functionalPositionOf(setup, i, j, k, expected[0], expected[1], expected[2]);
                    std::array<std::int32_t, 3> cell{};
                    const bool landed = tables.cellOf(i, j, k, cell);
                    bool expectedLanded = true;
                    for (int r = 0; r < 3; ++r) {
                        ASSERT_EQ(bitsOf(tables.position(r, i, j, k)), bitsOf(expected[r]))
                            << "axis " << r << " of point " << i << " " << j << " " << k << ", TAL FileVersion "
                            << talFileVersion << std::hexfloat << ": " << tables.position(r, i, j, k) << " vs "
                            << expected[r];
                        const std::int32_t n = nearestCellIndex(expected[r], tables.dim(r));
                        expectedLanded = expectedLanded && n >= 0;
                        if (landed) {
                            ASSERT_EQ(cell[static_cast<std::size_t>(r)], n);
                        }
                    }
                    ASSERT_EQ(landed, expectedLanded) << "point " << i << " " << j << " " << k;
                    inside += landed ? 1 : 0;
                }
            }
        }
        EXPECT_GT(inside, 1000) << "the sample must reach the functional grid";
        // Groups of four read past a row's end into zeros.
        for (int r = 0; r < 3; ++r)
            for (int a = 0; a < 3; ++a)
                for (std::size_t n = kAnatomicalGridSize; n < tables.terms(r, a).size(); ++n)
                    EXPECT_EQ(tables.terms(r, a)[n], 0.0f);
    }
}

}  // namespace
}  // namespace zandrel
