// FMR header: the main scan, the position block and the slice timing table.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "formats/fmr_header.h"
#include "temp_dir.h"
#include "expect_throw.h"

namespace zandrel {
namespace {

using test::TempDir;
using test::throwsWithMessage;

const std::string kHeader =
    "\n"
    "FileVersion:                  7\n"
    "NrOfVolumes:                  3\n"
    "NrOfSlices:                   2\n"
    "NrOfSkippedVolumes:           0\n"
    "Prefix:                       \"run 1\"\n"
    "DataStorageFormat:            2\n"
    "DataType:                     1\n"
    "TR:                           2000\n"
    "InterSliceTime:               80\n"
    "TimeResolutionVerified:       1\n"
    "TE:                           30\n"
    "SliceAcquisitionOrder:        1\n"
    "SliceAcquisitionOrderVerified: 0\n"
    "ResolutionX:                  64\n"
    "ResolutionY:                  48\n"
    "LoadAMRFile:                  \"\"\n"
    "ShowAMRFile:                  1\n"
    "ImageIndex:                   0\n"
    "LayoutNColumns:               4\n"
    "LayoutNRows:                  3\n"
    "LayoutZoomLevel:              1\n"
    "SegmentSize:                  10\n"
    "SegmentOffset:                0\n"
    "NrOfLinkedProtocols:          1\n"
    "ProtocolFile:                 C:\\data\\task one.prt\n"
    "InplaneResolutionX:           3.5\n"
    "InplaneResolutionY:           3.25\n"
    "SliceThickness:               4\n"
    "SliceGap:                     0.5\n"
    "VoxelResolutionVerified:      1\n"
    "\n"
    "PositionInformationFromImageHeaders\n"
    "PosInfosVerified:             1\n"
    "CoordinateSystem:             1\n"
    "Slice1CenterX:                -1.25\n"
    "Slice1CenterY:                2.5\n"
    "Slice1CenterZ:                -30.0000000000000000\n"
    "SliceNCenterX:                -1.25\n"
    "SliceNCenterY:                2.5\n"
    "SliceNCenterZ:                34\n"
    "RowDirX:                      1\n"
    "RowDirY:                      0\n"
    "RowDirZ:                      0\n"
    "ColDirX:                      0\n"
    "ColDirY:                      1\n"
    "ColDirZ:                      0\n"
    "NRows:                        48\n"
    "NCols:                        64\n"
    "FoVRows:                      156\n"
    "FoVCols:                      224\n"
    "SliceThickness:               3.75\n"
    "GapThickness:                 0.25\n"
    "\n"
    "NrOfPastSpatialTransformations: 0\n"
    "LeftRightConvention:          1\n"
    "FirstDataSourceFile:          \"first image.dcm\"\n"
    "MultibandSequence:            0\n"
    "SliceTimingTableSize:         2\n"
    "0 80\n"
    "AcqusitionTime:               0\n";

std::string withCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

void expectCompleteHeader(const FmrHeader& h, const std::string& label) {
    SCOPED_TRACE(label);
    EXPECT_EQ(h.FileVersion.value, 7);
    EXPECT_EQ(h.FileVersion.width, 30);
    EXPECT_EQ(h.NrOfVolumes.value, 3);
    EXPECT_EQ(h.NrOfSlices.value, 2);
    EXPECT_EQ(h.Prefix.value, "run 1");
    EXPECT_TRUE(h.Prefix.quoted);
    EXPECT_EQ(h.LoadAMRFile.value, "");
    EXPECT_TRUE(h.LoadAMRFile.quoted && h.LoadAMRFile.present);
    EXPECT_EQ(h.ProtocolFile.value, "C:\\data\\task one.prt");
    EXPECT_FALSE(h.ProtocolFile.quoted);
    EXPECT_TRUE(h.ShowAMRFile.value);
    EXPECT_FALSE(h.SliceAcquisitionOrderVerified.value);
    EXPECT_EQ(h.SliceAcquisitionOrderVerified.width, 31);
    EXPECT_EQ(h.ResolutionX.value, 64);
    EXPECT_EQ(h.ResolutionY.value, 48);
    EXPECT_EQ(h.InplaneResolutionY.value, 3.25f);
    EXPECT_EQ(h.SliceThickness.value, 4.0f);
    EXPECT_EQ(h.PosInfoSliceThickness.value, 3.75f);
    EXPECT_EQ(h.PosInfoSliceThickness.key, "SliceThickness");
    EXPECT_EQ(h.Slice1CenterZ.value, -30.0f);
    EXPECT_EQ(h.SliceNCenterZ.value, 34.0f);
    EXPECT_EQ(h.GapThickness.value, 0.25f);
    EXPECT_EQ(h.FirstDataSourceFile.value, "first image.dcm");
    EXPECT_EQ(h.SliceTimingTableSize.value, 2);
    EXPECT_EQ(h.sliceTimingTable, (std::vector<float>{0.0f, 80.0f}));
    EXPECT_TRUE(h.volumes.empty());
}

TEST(FmrReader, CompleteHeaderWithLfAndCrLf) {
    TempDir dir;
    expectCompleteHeader(readFmrHeader(dir.write("lf.fmr", kHeader), false), "LF");
    expectCompleteHeader(readFmrHeader(dir.write("crlf.fmr", withCrLf(kHeader)), false), "CR LF");
}

TEST(FmrReader, MissingFileThrowsWithPath) {
    TempDir dir;
    const std::string path = dir.file("absent.fmr");
    EXPECT_TRUE(throwsWithMessage<std::runtime_error>([&] { readFmrHeader(path, false); },
                                                      "Failed opening for reading: " + path));
}

TEST(FmrReader, KeysInAnyOrderUnknownKeysAndRepeats) {
    TempDir dir;
    const FmrHeader h = readFmrHeader(dir.write("a.fmr",
        "Remark: some words 12 FileVersion\n"
        "ResolutionY: 5\nNrOfSlices: 9\nNrOfSlices:\n 10\nUnknownKey: 3\nResolutionX:\t\t7\n"), false);
    EXPECT_EQ(h.FileVersion.value, -1);
    EXPECT_FALSE(h.FileVersion.present);
    EXPECT_EQ(h.NrOfSlices.value, 10);
    EXPECT_EQ(h.NrOfSlices.width, 11);
    EXPECT_EQ(h.ResolutionX.value, 7);
    EXPECT_EQ(h.ResolutionX.width, 14);
    EXPECT_FALSE(h.NrOfVolumes.present);
}

TEST(FmrReader, BadNumberEndsTheScanQuietly) {
    TempDir dir;
    const FmrHeader h = readFmrHeader(dir.write("bad.fmr",
        "ResolutionX: 64\nNrOfSlices: many\nResolutionY: 48\nFileVersion: 7\n"), false);
    EXPECT_TRUE(h.NrOfSlices.present);
    EXPECT_EQ(h.NrOfSlices.value, 0);
    EXPECT_EQ(h.ResolutionX.value, 64);
    EXPECT_FALSE(h.ResolutionY.present);
    EXPECT_FALSE(h.FileVersion.present);
}

TEST(FmrReader, PositionBlockKeepsItsOwnKeysAndEndsAfterGapThickness) {
    TempDir dir;
    const FmrHeader h = readFmrHeader(dir.write("pos.fmr",
        "SliceThickness: 3\nPositionInformationFromImageHeaders\nNrOfSlices: 8\nSliceThickness: 2.5\n"
        "GapThickness: 1\nSliceThickness: 4\nCoordinateSystem: 5\n"), false);
    EXPECT_FALSE(h.NrOfSlices.present);  // main keys are not recognised inside the block
    EXPECT_EQ(h.PosInfoSliceThickness.value, 2.5f);
    EXPECT_EQ(h.SliceThickness.value, 4.0f);
    EXPECT_FALSE(h.CoordinateSystem.present);  // block keys are not recognised after it

    const FmrHeader cut = readFmrHeader(dir.write("cut.fmr",
        "PositionInformationFromImageHeaders\nSlice1CenterX: -7\nNRows: 48"), false);
    EXPECT_EQ(cut.Slice1CenterX.value, -7.0f);
    EXPECT_EQ(cut.NRows.value, 48);
}

TEST(FmrReader, SliceTimingTableDropsTheWordAfterIt) {
    TempDir dir;
    struct Case { const char* text; std::vector<float> table; bool tr; };
    const Case cases[] = {
        {"SliceTimingTableSize: 3\n0 40.5\n80\nTR: 2000\n", {0.0f, 40.5f, 80.0f}, false},
        {"SliceTimingTableSize: 3\n0 40.5\n80\nAcqTime: 1\nTR: 2000\n", {0.0f, 40.5f, 80.0f}, true},
        {"SliceTimingTableSize: 0\nTR: 2000\n", {}, false},
        {"SliceTimingTableSize: 0\nX TR: 2000\n", {}, true},
        {"SliceTimingTableSize: 2000000000\n1 2 3", {1.0f, 2.0f, 3.0f}, false},
        {"SliceTimingTableSize: 4\n1 2 x TR: 2000\n", {1.0f, 2.0f}, false},
    };
    for (const Case& c : cases) {
        const FmrHeader h = readFmrHeader(dir.write("t.fmr", c.text), false);
        EXPECT_EQ(h.sliceTimingTable, c.table) << c.text;
        EXPECT_EQ(h.TR.present, c.tr) << c.text;
    }
}

TEST(FmrReader, DirectoryOfTakesTheLaterSeparator) {
    EXPECT_EQ(directoryOf("C:\\study/s1\\run.fmr"), "C:\\study/s1\\");
    EXPECT_EQ(directoryOf("/data\\x/run.fmr"), "/data\\x/");
    EXPECT_EQ(directoryOf("run.fmr"), "");
}

}  // namespace
}  // namespace zandrel
