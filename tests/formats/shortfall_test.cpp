// What a file announces but does not hold: ROI plots and voxels, TRF matrix numbers, TAL
// landmarks, and the refusals that name them.
#include <gtest/gtest.h>

#include <string>

#include "formats/shortfall.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

using test::TempDir;

TEST(RoiShortfall, RecordNamesTheShortPlotAndKeepsWhatWasRead) {
    TempDir dir;
    const RoiFile roi = readRoiFile(dir.write("r.roi", "NrOfTCPlots: 4\nNrOfVoxels: 1\n1 1 1\nNrOfVoxels: 3\n5 6 7\n8 9"));
    const RoiShortfall shortfall = roiShortfall(roi);
    EXPECT_EQ(shortfall.announcedPlots, 4);
    EXPECT_EQ(shortfall.readPlots, 2u);
    ASSERT_EQ(shortfall.shortPlots.size(), 1u);
    EXPECT_EQ(shortfall.shortPlots[0].plot, 1u);
    EXPECT_EQ(shortfall.shortPlots[0].announced, 3);
    EXPECT_EQ(shortfall.shortPlots[0].read, 1u);
    ASSERT_EQ(roi.plots.size(), 2u);
    ASSERT_EQ(roi.plots[1].voxels.size(), 1u);
    EXPECT_EQ(roi.plots[1].voxels[0].z, 7);
}

TEST(TrfShortfall, RefusalCountsTheMatrixNumbersRead) {
    const std::string row = "1 0 0 0\n";
    struct Case {
        const char* label;
        std::string text;
        int matrixRead;
        int extraRead;
        const char* refusal;  // after "The transformation file <path> holds only "
    };
    const Case cases[] = {
        {"complete", "DataFormat: Matrix\n" + row + row + row + row + "ExtraVMRTransf: 1\n" + row + row + row + row,
         16, 16, ""},
        {"no matrix announced", "FileVersion: 2\nDataFormat: Other\n1 2 3\nExtraVMRTransf: 0\n4 5\n", -1, -1, ""},
        {"nan as eighth number", "DataFormat: Matrix\n1 2 3 4\n5 6 7 nan\n9 10 11 12\n13 14 15 16\n", 7, -1,
         "7 of the 16 numbers of its matrix"},
        {"file cut short", "DataFormat: \"Matrix\"\n" + row + row + "1 0", 10, -1, "10 of the 16 numbers of its matrix"},
        {"nothing after the key", "DataFormat: Matrix\n", 0, -1, "0 of the 16 numbers of its matrix"},
        {"extra matrix cut short", "DataFormat: Matrix\n" + row + row + row + row + "ExtraVMRTransf: 1\n1 2 3", 16, 3,
         "3 of the 16 numbers of its extra VMR matrix"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string path = dir.write("t.trf", c.text);
        const TrfRecord trf = readTrfFile(path);
        EXPECT_EQ(trf.matrixNumbersRead, c.matrixRead) << c.label;
        EXPECT_EQ(trf.extraMatrixNumbersRead, c.extraRead) << c.label;
        const std::string expected = std::string(c.refusal).empty()
                                         ? ""
                                         : "The transformation file " + path + " holds only " + c.refusal;
        EXPECT_EQ(trfMatrixRefusal(trf), expected) << c.label;
    }
}

TEST(TalShortfall, RefusalNamesMissingLandmarksOfAPositiveVersion) {
    const std::string eight =
        "AC: 128 128 128\nPC: 128 128 152\nAP: 128 128 40\nPP: 128 128 230\n"
        "SP: 128 60 128\nIP: 128 190 128\nRP: 56 128 128\nLP: 200 128 128\n";
    struct Case {
        const char* label;
        std::string text;
        const char* missing;  // the refusal's list of keys; "" for none
    };
    const Case cases[] = {
        {"complete", "FileVersion: 3\n" + eight, ""},
        {"zeros are landmarks", "FileVersion: 3\n" + eight + "AC: 0 0 0\n", ""},
        {"two lacking", "FileVersion: 3\nAC: 1 2 3\nPC: 1 2 3\nAP: 1 2 3\nPP: 1 2 3\nSP: 1 2 3\nIP: 1 2 3\n",
         "landmarks RP:, LP:"},
        {"one lacking", "FileVersion: 3\n" + eight.substr(0, eight.find("SP:")) + eight.substr(eight.find("IP:")),
         "landmark SP:"},
        {"fraction ends the file's reading", "FileVersion: 3\nAC: 128.5 128 128\n" + eight.substr(eight.find("PC:")),
         "landmarks AC:, PC:, AP:, PP:, SP:, IP:, RP:, LP:"},
        {"last landmark cut short", "FileVersion: 1\n" + eight.substr(0, eight.find("LP:")) + "LP: 200 128",
         "landmark LP:"},
        {"version 0 does not use them", "FileVersion: 0\nAC: 1 2 3\n", ""},
        {"no version does not use them", "AC: 1 2 3\n", ""},
    };
    TempDir dir;
    for (const Case& c : cases) {
        const std::string path = dir.write("l.tal", c.text);
        const TalRecord tal = readTalFile(path);
        const std::string expected = std::string(c.missing).empty()
                                         ? ""
                                         : "The landmark file " + path + " lacks the " + c.missing +
                                               " (each needs three whole numbers)";
        EXPECT_EQ(talLandmarkRefusal(tal), expected) << c.label;
    }
}

}  // namespace
}  // namespace zandrel
