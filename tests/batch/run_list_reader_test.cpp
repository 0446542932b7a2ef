// How a run list forms its run sets: the conversion list's rules with sets starting at
// ".voi" lines, and the open check of a run set with its report.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "batch/log_wording.h"
#include "batch/run_list_reader.h"
#include "batch/set_check.h"
#include "entry_recorder.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

std::vector<RunSet> readRunSets(const std::string& text) {
    std::istringstream in(text, std::ios::in | std::ios::binary);
    RunListReader reader(in);
    std::vector<RunSet> sets;
    RunSet set;
    while (reader.next(set)) sets.push_back(set);
    return sets;
}

TEST(RunListReader, FormsOneSetPerVoiLineWithFilesInAnyOrder) {
    const std::vector<RunSet> sets = readRunSets(
        "/p/\n"
        "ignored.fmr\n"
        "  a_TAL_.voi\t\n"
        "run2_ACPC.trf\n"
        "run2.tal\n"
        "run2_FA.trf\r\n"
        "run2.fmr\n"
        "other.fmr\n"
        "run2_IA.trf\n"
        "s1.roi\n"
        "a_TAL_.voi\n"
        "run3.fmr\n");
    ASSERT_EQ(sets.size(), 2u);
    EXPECT_EQ(sets[0].voiPath, "/p/a_TAL_.voi");
    EXPECT_EQ(sets[0].fmrPath, "/p/run2.fmr");  // the first FMR line wins
    EXPECT_EQ(sets[0].iaTrfPath, "/p/run2_IA.trf");
    EXPECT_EQ(sets[0].faTrfPath, "/p/run2_FA.trf");
    EXPECT_EQ(sets[0].acpcTrfPath, "/p/run2_ACPC.trf");
    EXPECT_EQ(sets[0].talPath, "/p/run2.tal");
    // The same .voi starts a second set; a ".roi" line is no kind of a run list.
    EXPECT_EQ(sets[1].voiPath, "/p/a_TAL_.voi");
    EXPECT_EQ(sets[1].fmrPath, "/p/run3.fmr");
    EXPECT_TRUE(sets[1].iaTrfPath.empty());
    EXPECT_TRUE(sets[1].talPath.empty());
}

TEST(RunListReader, ListsWithoutVoiLinesFormNoSet) {
    EXPECT_TRUE(readRunSets("").empty());
    EXPECT_TRUE(readRunSets("/p/\ns1.roi\nrun.fmr\n").empty());
    EXPECT_TRUE(readRunSets("/p/\nA.VOI\n").empty());  // case-sensitive
}

TEST(RunListReader, LastVoiLineWithoutLineBreakStartsNoSetWhileCollecting) {
    const std::vector<RunSet> sets = readRunSets("\na.voi\nrun.fmr\nb.voi");
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].voiPath, "a.voi");
    EXPECT_EQ(sets[0].fmrPath, "run.fmr");
}

TEST(RunListReader, ConversionListsStillStartSetsAtRoiLinesOnly) {
    std::istringstream in("/p/\na.voi\ns1.roi\nrun.fmr\n", std::ios::in | std::ios::binary);
    ListReader reader(in);
    FileSet set;
    ASSERT_TRUE(reader.next(set));
    EXPECT_EQ(set.roiPath, "/p/s1.roi");
    EXPECT_EQ(set.fmrPath, "/p/run.fmr");
    EXPECT_FALSE(reader.next(set));
}

TEST(RunSetCheck, ReportsEveryUnopenableFileOfTheRunSet) {
    test::TempDir dir;
    const std::string voi = dir.write("a.voi", "x");
    const std::string fmr = dir.write("run.fmr", "x");
    RunSet set{voi, fmr, dir.file("run_IA.trf"), "", dir.file("run_ACPC.trf"), ""};
    test::EntryRecorder recorder;
    EXPECT_FALSE(checkRunSet(set, recorder));
    EXPECT_EQ(recorder.entries, (std::vector<std::string>{
                                    "!!!! Not enough files could be loaded to project " + voi,
                                    "IA.trf could not be loaded: " + set.iaTrfPath,
                                    "FA.trf could not be loaded: ",
                                    "ACPC.trf could not be loaded: " + set.acpcTrfPath,
                                    "TAL could not be loaded: ",
                                }));

    set.iaTrfPath = dir.write("run_IA.trf", "x");
    set.faTrfPath = dir.write("run_FA.trf", "x");
    set.acpcTrfPath = dir.write("run_ACPC.trf", "x");
    test::EntryRecorder quiet;
    EXPECT_TRUE(checkRunSet(set, quiet));
    EXPECT_TRUE(quiet.entries.empty());
    set.talPath = dir.file("missing.tal");
    EXPECT_FALSE(checkRunSet(set, quiet));
}

}  // namespace
}  // namespace zandrel
