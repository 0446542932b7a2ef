// The wording of the batch's events: the exact log texts of every kind of event.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch/log_wording.h"
#include "formats/roi_file.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

using Entries = std::vector<std::string>;

TEST(WordEvent, GivesTheLogEntriesOfEveryEvent) {
    FileSet set;
    set.roiPath = "/d/s1.roi";
    set.iaTrfPath = "/d/s1_IA.trf";
    set.talPath = "";
    RoiShortfall shortfall;
    shortfall.announcedPlots = 3;
    shortfall.readPlots = 1;
    const struct {
        const char* label;
        BatchEvent event;
        Entries expected;
    } cases[] = {
        {"files not loaded",
         FilesNotLoaded{set, {SetFile::fmr, SetFile::ia, SetFile::tal}},
         {"!!!! Not enough files could be loaded to convert /d/s1.roi", "FMR could not be loaded: ",
          "IA.trf could not be loaded: /d/s1_IA.trf", "TAL could not be loaded: "}},
        {"every kind of file not loaded",
         FilesNotLoaded{set, {SetFile::roi, SetFile::fa, SetFile::acpc}},
         {"!!!! Not enough files could be loaded to convert /d/s1.roi", "ROI could not be loaded: /d/s1.roi",
          "FA.trf could not be loaded: ", "ACPC.trf could not be loaded: "}},
        {"converted", SetConverted{"/d/s1.roi", "/d/s1_ACPC_.voi"}, {"Converted /d/s1.roi"}},
        {"dry run", SetWouldConvert{"/d/s1.roi", "/d/s1_TAL_.voi"}, {"Would write /d/s1_TAL_.voi from /d/s1.roi"}},
        {"plots missing", RoiIncomplete{"/d/s1.roi", shortfall},
         {"Only part of the ROI file /d/s1.roi was read: it holds 1 of the 3 plots that NrOfTCPlots announces"}},
        {"nothing missing", RoiIncomplete{"/d/s1.roi", RoiShortfall{}}, {}},
        {"voxels skipped", VoxelsSkipped{"/d/s1.roi", 1, 12},
         {"VOI 2 of /d/s1.roi: 12 voxels outside the functional grid were skipped"}},
        {"failed", SetFailed{"/d/s1.roi", "Failed opening STC for reading: /d/s1.stc"},
         {"!!!! Could not convert /d/s1.roi: Failed opening STC for reading: /d/s1.stc"}},
        {"outputs failed", OutputsFailed{"NIfTI files", "/d/s1.roi", "Cannot Create file: /d/s1_ACPC_.nii.gz"},
         {"!!!! Could not write NIfTI files for /d/s1.roi: Cannot Create file: /d/s1_ACPC_.nii.gz"}},
        {"stopped", BatchStopped{"std::bad_alloc"}, {"!!!! Conversion stopped: std::bad_alloc"}},
        {"interrupted", BatchInterrupted{12, 200},
         {"!!!! Batch interrupted after set 12 of 200: the sets after it were not run"}},
        {"interrupted before any set", BatchInterrupted{0, 3}, {"!!!! Batch interrupted before set 1 of 3: no set was run"}},
        {"interrupted, total unknown", BatchInterrupted{5, 0},
         {"!!!! Batch interrupted after set 5: the sets after it were not run"}},
        {"extracted", SetExtracted{"/d/v.voi", "/d/r.fmr"}, {"Extracted /d/v.voi from /d/r.fmr"}},
        {"extract dry run", SetWouldExtract{"/d/v.voi", "/d/r.fmr", "/o/r_v_timeseries.json"},
         {"Would write /o/r_v_timeseries.json and its tables from /d/v.voi on /d/r.fmr"}},
        {"extraction failed",
         ExtractionFailed{"/d/v.voi", "/d/r.fmr", "Time-course data file /d/r.stc holds 10 bytes"},
         {"!!!! Could not extract /d/v.voi from /d/r.fmr: Time-course data file /d/r.stc holds 10 bytes"}},
    };
    for (const auto& c : cases) EXPECT_EQ(wordEvent(c.event), c.expected) << c.label;
}

// The shortfall of a ROI file as read, worded: each part that applies, in file order.
TEST(WordEvent, NamesTheMissingPlotsAndVoxelsOfARoiFile) {
    struct Case {
        const char* label;
        const char* text;
        const char* expected;  // after "Only part of the ROI file <path> was read: "; "" for complete
    };
    const Case cases[] = {
        {"complete", "NrOfTCPlots: 2\nNrOfVoxels: 1\n1 2 3\nNrOfVoxels: 0\n", ""},
        {"zero and negative voxel counts", "NrOfTCPlots: 2\nNrOfVoxels: 0\nNrOfVoxels: -4\n1 2 3\n", ""},
        {"no plots announced", "FileVersion: 6\n", ""},
        {"second plot without NrOfVoxels", "NrOfTCPlots: 2\nNrOfVoxels: 1\n1 2 3\nFromSlice: 4\n",
         "it holds 1 of the 2 plots that NrOfTCPlots announces"},
        {"last count at the very end", "NrOfTCPlots: 1\nNrOfVoxels: 2",
         "it holds 0 of the 1 plots that NrOfTCPlots announces"},
        {"list cut short", "NrOfTCPlots: 1\nNrOfVoxels: 4\n1 2 3\n4 5 6\n7 8\n",
         "plot 1 holds 2 of the 4 voxels that its NrOfVoxels announces"},
        {"bad number in the list", "NrOfTCPlots: 1\nNrOfVoxels: 3\n1 2 3\n4 x 6\n7 8 9\n",
         "plot 1 holds 1 of the 3 voxels that its NrOfVoxels announces"},
        {"short list then a missing plot", "NrOfTCPlots: 3\nNrOfVoxels: 1\n1 1 1\nNrOfVoxels: 5\n1 2 3\n",
         "it holds 2 of the 3 plots that NrOfTCPlots announces; plot 2 holds 1 of the 5 voxels that its "
         "NrOfVoxels announces"},
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        const std::string path = dir.write("r.roi", c.text);
        const RoiFile roi = readRoiFile(path);
        const Entries expected = std::string(c.expected).empty()
                                     ? Entries{}
                                     : Entries{"Only part of the ROI file " + path + " was read: " + c.expected};
        EXPECT_EQ(wordEvent(RoiIncomplete{path, roiShortfall(roi)}), expected) << c.label;
    }
}

}  // namespace
}  // namespace zandrel
