// Which files of a set count as present, the report on a set that lacks some, and the
// name of the output file.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "batch/set_check.h"
#include "entry_recorder.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

using test::TempDir;

TEST(CanOpenForReading, AcceptsOnlyRegularReadableFiles) {
    TempDir dir;
    const std::string file = dir.write("a.roi", "x");
    const std::string empty = dir.write("empty.roi", "");
    std::filesystem::create_directory(dir.path() / "folder.roi");
    std::filesystem::create_symlink(file, dir.path() / "link.roi");
    std::filesystem::create_symlink(dir.path() / "gone", dir.path() / "dangling.roi");

    EXPECT_TRUE(canOpenForReading(file));
    EXPECT_TRUE(canOpenForReading(empty));
    EXPECT_TRUE(canOpenForReading(dir.file("link.roi")));
    EXPECT_FALSE(canOpenForReading(""));
    EXPECT_FALSE(canOpenForReading(dir.file("missing.roi")));
    EXPECT_FALSE(canOpenForReading(dir.file("folder.roi")));
    EXPECT_FALSE(canOpenForReading(dir.file("dangling.roi")));
    EXPECT_FALSE(canOpenForReading(file + "/"));
}

TEST(OutputPathFor, ReplacesEverythingAfterTheLastDot) {
    const struct {
        const char* path;
        const char* suffix;
        const char* expected;
    } cases[] = {
        {"s1.roi", "_ACPC_.voi", "s1_ACPC_.voi"},
        {"/data/subject1/s1.roi", "_TAL_.voi", "/data/subject1/s1_TAL_.voi"},
        {"D:\\a.b\\xroi", "_ACPC_.voi", "D:\\a_ACPC_.voi"},   // dot only in a folder name
        {"./sub/s1.roi", "_ACPC_.voi", "./sub/s1_ACPC_.voi"},
        {"myroi", "_ACPC_.voi", "myroi_ACPC_.voi"},           // no dot at all
        {"s1.v2.roi", "_TAL_.voi", "s1.v2_TAL_.voi"},
        {".roi", "_TAL_.voi", "_TAL_.voi"},
    };
    for (const auto& c : cases) EXPECT_EQ(outputPathFor(c.path, c.suffix), c.expected) << "path " << c.path;
}

TEST(OutputPathFor, NameFollowsThePresenceOfTheTalLine) {
    FileSet set;
    set.roiPath = "/d/s1.roi";
    EXPECT_EQ(outputPathFor(set), "/d/s1_ACPC_.voi");
    set.talPath = "/d/s1.tal";
    EXPECT_EQ(outputPathFor(set), "/d/s1_TAL_.voi");
}

class CheckFileSet : public ::testing::Test {
protected:
    FileSet completeSet(bool withTal) const {
        FileSet set;
        set.roiPath = dir.write("s1.roi", "r");
        set.fmrPath = dir.write("s1.fmr", "f");
        set.iaTrfPath = dir.write("s1_IA.trf", "i");
        set.faTrfPath = dir.write("s1_FA.trf", "a");
        set.acpcTrfPath = dir.write("s1_ACPC.trf", "c");
        if (withTal) set.talPath = dir.write("s1.tal", "t");
        return set;
    }
    std::vector<std::string> check(const FileSet& set, bool expectComplete) const {
        test::EntryRecorder log;
        EXPECT_EQ(checkFileSet(set, log), expectComplete);
        return log.entries;
    }
    TempDir dir;
};

TEST_F(CheckFileSet, ReportsEachMissingFileInOrderWithTalLast) {
    const FileSet complete = completeSet(false);
    const std::string header = "!!!! Not enough files could be loaded to convert " + complete.roiPath;
    const std::string noTal = "TAL could not be loaded: ";
    const struct {
        const char* name;
        std::string FileSet::*field;
        const char* text;
    } kinds[] = {
        {"FMR", &FileSet::fmrPath, "FMR could not be loaded: "},
        {"IA", &FileSet::iaTrfPath, "IA.trf could not be loaded: "},
        {"FA", &FileSet::faTrfPath, "FA.trf could not be loaded: "},
        {"ACPC", &FileSet::acpcTrfPath, "ACPC.trf could not be loaded: "},
    };
    for (const auto& kind : kinds) {
        FileSet unnamed = complete;
        unnamed.*kind.field = "";
        EXPECT_EQ(check(unnamed, false), (std::vector<std::string>{header, kind.text, noTal}))
            << kind.name << " not named";

        FileSet missing = complete;
        missing.*kind.field = dir.file("missing");
        EXPECT_EQ(check(missing, false),
                  (std::vector<std::string>{header, kind.text + dir.file("missing"), noTal}))
            << kind.name << " missing";
    }
}

TEST_F(CheckFileSet, ReportsAMissingRoiFileAndEveryOtherFailureAfterIt) {
    FileSet set;
    set.roiPath = dir.file("gone.roi");
    set.talPath = dir.file("gone.tal");
    EXPECT_EQ(check(set, false), (std::vector<std::string>{
                                     "!!!! Not enough files could be loaded to convert " + set.roiPath,
                                     "ROI could not be loaded: " + set.roiPath,
                                     "FMR could not be loaded: ",
                                     "IA.trf could not be loaded: ",
                                     "FA.trf could not be loaded: ",
                                     "ACPC.trf could not be loaded: ",
                                     "TAL could not be loaded: " + set.talPath,
                                 }));
}

TEST_F(CheckFileSet, ANamedTalFileThatCannotBeOpenedFailsTheSet) {
    FileSet set = completeSet(false);
    set.talPath = dir.file("s1_missing.tal");
    EXPECT_EQ(check(set, false), (std::vector<std::string>{
                                     "!!!! Not enough files could be loaded to convert " + set.roiPath,
                                     "TAL could not be loaded: " + set.talPath,
                                 }));
    std::filesystem::create_directory(set.talPath);  // a folder is no TAL file either
    EXPECT_EQ(check(set, false).size(), 2u);
}

}  // namespace
}  // namespace zandrel
