// ROI files: header phase, plots, voxel lists and their untrusted counts.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "formats/roi_file.h"
#include "temp_dir.h"
#include "expect_throw.h"
#include "voxel_lists.h"

namespace zandrel {
namespace {

using test::TempDir;
using test::throwsWithMessage;
using Voxels = std::vector<VoxelTriple>;

const char* const kTwoPlots =
    "FileVersion:         6\r\n"
    "SaveVoxelsInROIs:    1\r\n"
    "SaveSortedVoxelList: 0\r\n"
    "SaveROIMaxPSC:       0\r\n"
    "\r\n"
    "NrOfTCPlots:         2\r\n"
    "\r\n"
    "NrOfTCs:             1\r\n"
    "FromSlice:           3\r\n"
    "Left:   10\r\nRight: 12\r\nTop: 20\r\nBottom: 22\r\n"
    "NrOfVoxels:          3\r\n"
    "10 20 3\r\n11 21 3\r\n"
    "12 22 3\r\n"
    "ROIColor: 255 0 0\r\n"
    "FromSlice:           4\r\n"
    "NrOfVoxels:          0\r\n";

TEST(RoiReader, TwoPlotsWithCrLfAndWordsBetweenThem) {
    TempDir dir;
    const RoiFile roi = readRoiFile(dir.write("a.roi", kTwoPlots));
    EXPECT_EQ(roi.FileVersion.value, 6);
    EXPECT_EQ(roi.SaveVoxelsInROIs.value, 1);
    EXPECT_EQ(roi.NrOfTCPlots.value, 2);
    ASSERT_EQ(roi.plots.size(), 2u);
    EXPECT_EQ(roi.plots[0].FromSlice.value, 3);
    EXPECT_EQ(roi.plots[0].Bottom.value, 22);
    EXPECT_EQ(roi.plots[0].NrOfVoxels.width, 21);
    EXPECT_PRED_FORMAT2(test::sameVoxels, roi.plots[0].voxels, (Voxels{{10, 20, 3}, {11, 21, 3}, {12, 22, 3}}));
    EXPECT_EQ(roi.plots[1].FromSlice.value, 4);
    EXPECT_FALSE(roi.plots[1].Left.present);
    EXPECT_TRUE(roi.plots[1].voxels.empty());
}

TEST(RoiReader, PlotEndings) {
    TempDir dir;
    struct Case { const char* text; std::vector<Voxels> plots; };
    const Case cases[] = {
        {"NrOfTCPlots: 0\nNrOfVoxels: 1\n1 2 3\n", {}},
        {"FileVersion: 6\n", {}},
        {"NrOfTCPlots: 2\nNrOfVoxels: 1 1 2 3\n", {{{1, 2, 3}}}},           // second plot missing
        {"NrOfTCPlots: 1\nNrOfVoxels: 0", {}},                               // value at the very end
        {"NrOfTCPlots: 2\nNrOfVoxels: 0\nNrOfVoxels: x\n1 2 3\n", {{}}},     // bad count drops the plot
        {"NrOfTCPlots: 1\nNrOfVoxels: 2\n1 2 3\n4 5", {{{1, 2, 3}}}},       // cut inside a triple
        {"NrOfTCPlots: 2\nNrOfVoxels: 2\n1 2 3\n4 5\nNrOfVoxels: 1\n7 8 9\n", {{{1, 2, 3}}}},
        {"NrOfTCPlots: 1\nNrOfVoxels: 2\n1 2 3 4.5 6 7\n", {{{1, 2, 3}}}},  // fraction ends the list
        {"NrOfTCPlots: 1\nNrOfVoxels: -3\n1 2 3\n", {{}}},
        {"NrOfTCPlots: 2000000000\nNrOfVoxels: 1\n-1 0 2\n", {{{-1, 0, 2}}}},
    };
    for (const Case& c : cases) {
        const RoiFile roi = readRoiFile(dir.write("e.roi", c.text));
        ASSERT_EQ(roi.plots.size(), c.plots.size()) << c.text;
        for (std::size_t i = 0; i < c.plots.size(); ++i) EXPECT_PRED_FORMAT2(test::sameVoxels, roi.plots[i].voxels, c.plots[i]) << c.text;
    }
}

TEST(RoiReader, HeaderKeysAfterThePlotCountAreNotLookedFor) {
    TempDir dir;
    const RoiFile roi = readRoiFile(dir.write("h.roi", "NrOfTCPlots: 1\nFileVersion: 6\nNrOfVoxels: 0\n"));
    EXPECT_FALSE(roi.FileVersion.present);
    EXPECT_EQ(roi.FileVersion.value, -1);
    EXPECT_EQ(roi.plots.size(), 1u);
}

TEST(RoiReader, HugeVoxelCountInSmallFileReturnsPromptly) {
    TempDir dir;
    const auto start = std::chrono::steady_clock::now();
    const RoiFile roi = readRoiFile(dir.write("huge.roi", "NrOfTCPlots: 1\nNrOfVoxels: 2000000000\n1 2 3\n"));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(roi.plots.size(), 1u);
    EXPECT_PRED_FORMAT2(test::sameVoxels, roi.plots[0].voxels, (Voxels{{1, 2, 3}}));
    EXPECT_LT(roi.plots[0].voxels.capacity(), 64u);
    EXPECT_LT(elapsed, std::chrono::seconds(2));
}

TEST(RoiReader, MissingFileThrowsWithPath) {
    EXPECT_TRUE(throwsWithMessage<std::runtime_error>([] { readRoiFile("no/such/file.roi"); },
                                                      "Failed opening for reading: no/such/file.roi"));
}

}  // namespace
}  // namespace zandrel
