// The files of a projected run set, from footprints made by hand: the coverage table's
// columns, numbers and "n/a", and the ROI text read back by our ROI reader.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/roi_file.h"
#include "outputs/runs/coverage_table.h"
#include "outputs/runs/roi_text.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

FootprintCell cell(int x, int y, int z, std::uint32_t k, std::uint32_t n) { return {{x, y, z}, k, n}; }

TEST(CoverageTable, OneRowPerVoiWithShortestNumbersAndNotAvailable) {
    Footprint footprint;
    VoiFootprint a;
    a.name = "left\tV1";
    a.voiVoxels = 30;
    a.inRun = 27;
    a.touched = {cell(0, 0, 0, 3, 27), cell(1, 0, 0, 24, 24)};
    VoiFootprint empty;
    empty.name = "empty";
    VoiFootprint outside;
    outside.name = "outside";
    outside.voiVoxels = 5;
    footprint.vois = {a, empty, outside};
    EXPECT_EQ(coverageTableText(footprint, 0.5),
              "name\tvoi_voxels\tin_run\tcoverage\ttouched\tselected\toccupancy_mean\n"
              "left V1\t30\t27\t0.9\t2\t1\t1\n"
              "empty\t0\t0\tn/a\t0\t0\tn/a\n"
              "outside\t5\t0\t0\t0\t0\tn/a\n");
    // Threshold 0 keeps every touched cell; the mean is taken in double precision.
    const std::string text = coverageTableText(footprint, 0.0);
    const std::size_t row = sizeof kCoverageTableHeader - 1;
    EXPECT_EQ(text.substr(row, text.find('\n', row) - row), "left V1\t30\t27\t0.9\t2\t2\t0.5555555555555556");
}

TEST(RoiText, ReadsBackPlotByPlotWithBoundingBoxes) {
    const std::vector<std::vector<VoxelTriple>> plots = {
        {{3, 1, 0}, {1, 4, 0}, {2, 2, 5}},
        {},
        {{7, 8, 9}},
    };
    test::TempDir dir;
    const RoiFile roi = readRoiFile(dir.write("back.roi", roiFileText(plots)));
    EXPECT_EQ(roi.FileVersion.value, 6);
    EXPECT_EQ(roi.NrOfTCPlots.value, 3);
    ASSERT_EQ(roi.plots.size(), 3u);
    for (std::size_t p = 0; p < plots.size(); ++p) {
        SCOPED_TRACE("plot " + std::to_string(p + 1));
        EXPECT_EQ(roi.plots[p].voxels, plots[p]);
        EXPECT_EQ(roi.plots[p].NrOfVoxels.value, static_cast<int>(plots[p].size()));
    }
    const RoiPlot& first = roi.plots[0];
    EXPECT_EQ(first.FromSlice.value, 0);
    EXPECT_EQ(first.Left.value, 1);
    EXPECT_EQ(first.Right.value, 3);
    EXPECT_EQ(first.Top.value, 1);
    EXPECT_EQ(first.Bottom.value, 4);
    EXPECT_EQ(roi.plots[2].FromSlice.value, 9);
}

TEST(RoiText, KeyColumnsAsTheExampleStudiesWriteThem) {
    const std::string text = roiFileText({{{1, 2, 3}}});
    EXPECT_EQ(text.substr(0, 59),
              "\nFileVersion:          6\n\nSaveVoxelsInROIs:     1\nSaveSorte");
    EXPECT_NE(text.find("\nNrOfTCs:     1\nFromSlice:   3\nLeft:        1\n"), std::string::npos);
    EXPECT_NE(text.find("NrOfVoxels:  1\n1 2 3\n"), std::string::npos);
}

}  // namespace
}  // namespace zandrel
