#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "voi/voi_figures.h"
#include "voi/voi_space.h"
#include "expect_throw.h"
#include "voi_records.h"

namespace zandrel {
namespace {

using test::makeVoi;

std::string refusal(const VoiFile& file) {
    return test::messageThrownBy<std::runtime_error>([&] { collectVoiCells(file, placeVoiFile(file)); });
}

// A grid point and its Talairach triple must meet at the same world position.
TEST(VoiPlacement, GridIndicesAndMillimetreTriplesMeetAtTheSameWorldPosition) {
    const VoiPlacement tal = placeVoiFile(test::voiFileOf("TAL", {}));
    const VoiPlacement acpc = placeVoiFile(test::voiFileOf("ACPC", {}));
    const VoxelTriple grid[] = {{0, 0, 0}, {128, 128, 128}, {255, 0, 17}, {3, 200, 255}, {127, 129, 1}};
    for (const VoxelTriple& g : grid) {
        const VoxelTriple millimetres{128 - g.z, 128 - g.x, 128 - g.y};
        std::uint32_t fromGrid = 0, fromMm = 0;
        ASSERT_TRUE(acpc.cellOf(g, fromGrid));
        ASSERT_TRUE(tal.cellOf(millimetres, fromMm));
        EXPECT_EQ(fromGrid, fromMm) << g.x << " " << g.y << " " << g.z;
        const std::array<std::int64_t, 3> world = acpc.worldOf(fromGrid);
        EXPECT_EQ(world, (std::array<std::int64_t, 3>{{millimetres.x, millimetres.y, millimetres.z}}))
            << g.x << " " << g.y << " " << g.z;
    }
    // Right, anterior, superior positive: the lowest k is the rightmost, the lowest i the front.
    EXPECT_EQ(acpc.worldOf(0), (std::array<std::int64_t, 3>{{128, 128, 128}}));
    EXPECT_EQ(acpc.gridToWorld(), (std::array<std::int32_t, 12>{{0, 0, -1, 128, -1, 0, 0, 128, 0, -1, 0, 128}}));
    std::uint32_t cell = 0;
    EXPECT_FALSE(tal.cellOf({129, 0, 0}, cell));
    EXPECT_FALSE(tal.cellOf({0, -128, 0}, cell));
    EXPECT_FALSE(acpc.cellOf({256, 0, 0}, cell));
    EXPECT_FALSE(acpc.cellOf({0, -1, 0}, cell));
}

TEST(VoiPlacement, GfFileTakesTheTripleFormItsBuilderGave) {
    const VoiFile gf = test::voiFileOf("GF", {});
    const VoiPlacement tal = placeVoiFile(test::voiFileOf("TAL", {}));
    const VoxelTriple triple{-20, 30, 100};
    std::uint32_t expected = 0, cell = 0;
    ASSERT_TRUE(tal.cellOf(triple, expected));
    const VoiPlacement millimetres = placeVoiFile(gf, true);
    EXPECT_EQ(millimetres.space, VoiSpace::Native);
    ASSERT_TRUE(millimetres.cellOf(triple, cell));
    EXPECT_EQ(cell, expected);
    for (const std::optional<bool> hint : {std::optional<bool>(), std::optional<bool>(false)}) {
        EXPECT_FALSE(placeVoiFile(gf, hint).cellOf(triple, cell)) << "grid indices are never negative";
    }
    // The hint never turns the fixed forms of ACPC and Talairach files.
    EXPECT_FALSE(placeVoiFile(test::voiFileOf("ACPC", {}), true).millimetreTriples);
    EXPECT_TRUE(placeVoiFile(test::voiFileOf("TAL", {}), false).millimetreTriples);
}

TEST(VoiPlacement, SpacesThatCannotBePlacedAreRefused) {
    struct Case {
        std::string space;
        std::int32_t cube;
        std::int32_t resolution;
        std::string message;
    };
    const Case cases[] = {
        {"Talairach", 256, 1, "ReferenceSpace cannot be placed: \"Talairach\""},
        {"", 256, 1, "ReferenceSpace cannot be placed: \"\""},
        {"Scanner", 256, 1, "ReferenceSpace cannot be placed: \"Scanner\""},
        {"ACPC", 255, 1, "Grid cannot be placed: OriginalVMRFramingCubeDim 255 is not an even number from 2 to 512"},
        {"GF", 1024, 1, "Grid cannot be placed: OriginalVMRFramingCubeDim 1024 is not an even number from 2 to 512"},
        {"native", 256, 0, "Grid cannot be placed: OriginalVMRResolution 0 is not from 1 to 16"},
        {"ACPC", 256, -2, "Grid cannot be placed: OriginalVMRResolution -2 is not from 1 to 16"},
    };
    for (const Case& c : cases) {
        VoiFile file = test::voiFileOf(c.space, {});
        file.OriginalVMRFramingCubeDim.value = c.cube;
        file.OriginalVMRResolutionY.value = c.resolution;
        EXPECT_EQ(refusal(file), c.message) << c.space;
    }
    // Grid-index files with an offset grid are refused, not drawn where they do not lie.
    for (const char* key : {"X", "Z"}) {
        VoiFile offset = test::voiFileOf("ACPC", {});
        KeyedInt& field = std::string(key) == "X" ? offset.OriginalVMROffsetX : offset.OriginalVMROffsetZ;
        field.value = -3;
        EXPECT_EQ(refusal(offset), std::string("Grid cannot be placed: OriginalVMROffset") + key +
                                       " -3 is not 0 (offset grids are not supported)");
    }
    // Millimetre spaces ignore the grid entries: their grid is fixed.
    VoiFile mni = test::voiFileOf("MNI", {});
    mni.OriginalVMRFramingCubeDim.value = 7;
    EXPECT_EQ(refusal(mni), "(no error)");
}

TEST(VoiPlacement, SpaceWordsAreReadInAnyLetterCase) {
    const struct {
        const char* word;
        VoiSpace space;
    } cases[] = {{"Tal", VoiSpace::Talairach}, {"tal", VoiSpace::Talairach}, {"mni", VoiSpace::Mni},
                 {"Acpc", VoiSpace::Acpc},     {"gf", VoiSpace::Native},       {"NaTiVe", VoiSpace::Native}};
    for (const auto& c : cases) {
        const VoiPlacement placement = placeVoiFile(test::voiFileOf(c.word, {}));
        EXPECT_EQ(placement.space, c.space) << c.word;
        EXPECT_EQ(placement.millimetreTriples, c.space == VoiSpace::Talairach || c.space == VoiSpace::Mni) << c.word;
    }
}

TEST(VoiPlacement, VoxelOutsideTheGridRefusesTheFile) {
    EXPECT_EQ(refusal(test::voiFileOf("TAL", {makeVoi("ok", {{0, 0, 0}}), makeVoi("far", {{1, 2, 3}, {-128, 0, 0}})})),
              "VOI 2 (\"far\"): voxel -128 0 0 lies outside the grid");
    EXPECT_EQ(refusal(test::voiFileOf("ACPC", {makeVoi("edge", {{255, 255, 255}, {0, 256, 0}})})),
              "VOI 1 (\"edge\"): voxel 0 256 0 lies outside the grid");
}

TEST(VoiFigures, OverlapsDuplicatesAndCentroids) {
    // Talairach triples: the first VOI has a duplicate, the second shares two cells with it.
    const VoiFile file = test::voiFileOf("TAL", {makeVoi("a", {{10, 20, 30}, {11, 20, 30}, {10, 20, 30}, {12, 21, 30}}),
                                        makeVoi("b", {{11, 20, 30}, {12, 21, 30}, {-5, -5, -5}}),
                                        makeVoi("empty", {}), makeVoi("alone", {{0, 0, 1}})});
    const VoiPlacement p = placeVoiFile(file);
    const VoiCells cells = collectVoiCells(file, p);
    const std::vector<VoiFigures> f = computeVoiFigures(cells, p);
    ASSERT_EQ(f.size(), 4u);
    EXPECT_EQ(f[0].voxels, 3);
    EXPECT_EQ(f[0].volumeMm3, 3);
    EXPECT_EQ(f[0].sharedVoxels, 2);
    EXPECT_EQ(f[0].centroid, (std::array<double, 3>{{11.0, 61.0 / 3.0, 30.0}}));
    EXPECT_EQ(f[1].voxels, 3);
    EXPECT_EQ(f[1].sharedVoxels, 2);
    EXPECT_EQ(f[1].centroid, (std::array<double, 3>{{18.0 / 3.0, 36.0 / 3.0, 55.0 / 3.0}}));
    EXPECT_EQ(f[2].voxels, 0);
    EXPECT_FALSE(f[2].hasCentroid());
    EXPECT_TRUE(f[3].hasCentroid());
    EXPECT_EQ(f[3].sharedVoxels, 0);

    const std::vector<std::uint16_t> labels = labelImage(cells, p);
    std::uint32_t shared = 0, onlyB = 0, alone = 0;
    ASSERT_TRUE(p.cellOf({11, 20, 30}, shared));
    ASSERT_TRUE(p.cellOf({-5, -5, -5}, onlyB));
    ASSERT_TRUE(p.cellOf({0, 0, 1}, alone));
    EXPECT_EQ(labels[shared], 1);  // the lowest k keeps a shared cell
    EXPECT_EQ(labels[onlyB], 2);
    EXPECT_EQ(labels[alone], 4);
    std::size_t labelled = 0;
    for (std::uint16_t label : labels) labelled += label != 0;
    EXPECT_EQ(labelled, 5u);
    // The one-byte image holds the same labels, cell for cell.
    const std::vector<std::uint8_t> narrow = narrowLabelImage(cells, p);
    EXPECT_TRUE(std::equal(labels.begin(), labels.end(), narrow.begin(), narrow.end()));
}

TEST(VoiFigures, NarrowLabelImageRefusesMoreThan255Vois) {
    VoiCells cells;
    cells.cells.resize(256);
    const VoiPlacement p;
    EXPECT_THROW(narrowLabelImage(cells, p), std::runtime_error);
    cells.cells.resize(255);
    EXPECT_EQ(narrowLabelImage(cells, p).size(), p.cellCount());
}

TEST(VoiFigures, SharedCountsEveryVoiThatHoldsACellButNoDuplicate) {
    struct Case {
        const char* name;
        std::vector<Voi> vois;
        std::vector<std::int64_t> shared;
    };
    const Case cases[] = {
        {"three VOIs hold one cell",
         {makeVoi("a", {{1, 1, 1}, {2, 2, 2}}), makeVoi("b", {{1, 1, 1}}), makeVoi("c", {{3, 3, 3}, {1, 1, 1}})},
         {1, 1, 1}},
        {"a cell listed twice in one VOI", {makeVoi("a", {{1, 1, 1}, {1, 1, 1}}), makeVoi("b", {{2, 2, 2}})}, {0, 0}},
        {"listed twice in one VOI and once in another",
         {makeVoi("a", {{1, 1, 1}, {1, 1, 1}}), makeVoi("b", {{1, 1, 1}})},
         {1, 1}},
        {"neighbours differ in one coordinate",
         {makeVoi("a", {{1, 1, 1}}), makeVoi("b", {{1, 1, 2}}), makeVoi("c", {{2, 1, 1}}), makeVoi("d", {{1, 2, 1}})},
         {0, 0, 0, 0}},
        {"five VOIs, the first and last sharing across merge rounds",
         {makeVoi("a", {{9, 9, 9}, {1, 1, 1}}), makeVoi("b", {{2, 2, 2}}), makeVoi("c", {{4, 4, 4}, {3, 3, 3}}),
          makeVoi("d", {{3, 3, 3}}), makeVoi("e", {{0, 0, 0}, {9, 9, 9}})},
         {1, 0, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        const VoiFile file = test::voiFileOf("TAL", c.vois);
        const VoiPlacement p = placeVoiFile(file);
        const std::vector<VoiFigures> f = computeVoiFigures(collectVoiCells(file, p), p);
        ASSERT_EQ(f.size(), c.shared.size()) << c.name;
        for (std::size_t n = 0; n < f.size(); ++n) EXPECT_EQ(f[n].sharedVoxels, c.shared[n]) << c.name << ", VOI " << n + 1;
    }
}

TEST(VoiFigures, VolumeUsesTheVoxelSizeOfGridFiles) {
    VoiFile file = test::voiFileOf("ACPC", {makeVoi("a", {{0, 0, 0}, {1, 0, 0}})});
    file.OriginalVMRResolutionX.value = 2;
    file.OriginalVMRResolutionY.value = 2;
    file.OriginalVMRResolutionZ.value = 3;
    file.OriginalVMRFramingCubeDim.value = 128;
    const VoiPlacement p = placeVoiFile(file);
    const std::vector<VoiFigures> f = computeVoiFigures(collectVoiCells(file, p), p);
    EXPECT_EQ(f[0].volumeMm3, 24);
    EXPECT_EQ(f[0].centroid, (std::array<double, 3>{{192.0, 127.0, 128.0}}));
}

}  // namespace
}  // namespace zandrel
