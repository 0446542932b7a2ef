// The batch run: conversion of every set of a list, what is logged, and containment of
// the errors of one set.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "batch/batch_run.h"
#include "batch/list_reader.h"
#include "batch/set_check.h"
#include "batch/stop_request.h"
#include "entry_recorder.h"
#include "study_fixture.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;
using test::EntryRecorder;
using test::readFile;
using test::TempDir;

class BatchRun : public ::testing::Test {
protected:
    void SetUp() override {
        study = studygen::writeStudy(dir.file("study"), studygen::testStudyPlan(3, 7));
    }
    const studygen::SubjectFiles& subject(int index) const { return study.subjects.at(index); }

    // A list of the given subjects' sets, in order.
    std::string listOf(const std::vector<int>& subjects) const {
        std::vector<std::string> lines;
        for (int index : subjects) {
            for (const std::string& line : test::setLines(subject(index))) lines.push_back(line);
        }
        return test::writeList(dir.file("list.txt"), lines);
    }

    BatchSummary run(const std::string& list, const ConvertOptions& options = {}) {
        return runBatch(list, log, options);
    }

    TempDir dir;
    studygen::GeneratedStudy study;
    EntryRecorder log;
};

void expectSummary(const BatchSummary& s, int found, int converted, int reported, int failed) {
    EXPECT_TRUE(s.listReadable);
    EXPECT_EQ(s.setsFound, found);
    EXPECT_EQ(s.converted, converted);
    EXPECT_EQ(s.reported, reported);
    EXPECT_EQ(s.failed, failed);
}

TEST_F(BatchRun, ConvertsEverySetOfTheGeneratedList) {
    const BatchSummary summary = run(study.listPath);
    expectSummary(summary, 3, 3, 0, 0);
    std::vector<std::string> expected;
    for (const auto& files : study.subjects) expected.push_back("Converted " + files.roi);
    EXPECT_EQ(log.entries, expected);
    for (const auto& files : study.subjects) {
        EXPECT_EQ(readFile(test::voiPathOf(files)), test::expectedVoiText(files, false)) << files.roi;
    }
}

TEST_F(BatchRun, NamesTheOutputAfterThePresenceOfTheTalLine) {
    // The generator gives the first subject a TAL file.
    ASSERT_FALSE(subject(0).tal.empty());
    const std::string stem = subject(0).roi.substr(0, subject(0).roi.size() - 4);

    test::writeList(dir.file("noTal.txt"), {subject(0).roi, subject(0).fmr, subject(0).ia,
                                               subject(0).fa, subject(0).acpc});
    expectSummary(run(dir.file("noTal.txt")), 1, 1, 0, 0);
    EXPECT_TRUE(fs::exists(stem + "_ACPC_.voi"));
    EXPECT_FALSE(fs::exists(stem + "_TAL_.voi"));

    // A TAL file without content still names the output "_TAL_.voi".
    const std::string emptyTal = dir.write("empty.tal", "");
    test::writeList(dir.file("emptyTal.txt"), {subject(0).roi, subject(0).fmr, subject(0).ia,
                                                  subject(0).fa, subject(0).acpc, emptyTal});
    expectSummary(run(dir.file("emptyTal.txt")), 1, 1, 0, 0);
    EXPECT_TRUE(fs::exists(stem + "_TAL_.voi"));
}

TEST_F(BatchRun, ReportsAnIncompleteSetAndGoesOn) {
    const auto& s1 = subject(1);
    test::writeList(dir.file("list.txt"), {s1.roi, s1.ia, s1.fa, s1.acpc,  // no FMR, no TAL
                                              subject(2).roi, subject(2).fmr, subject(2).ia,
                                              subject(2).fa, subject(2).acpc});
    expectSummary(run(dir.file("list.txt")), 2, 1, 1, 0);
    EXPECT_EQ(log.entries, (std::vector<std::string>{
                                 "!!!! Not enough files could be loaded to convert " + s1.roi,
                                 "FMR could not be loaded: ",
                                 "TAL could not be loaded: ",
                                 "Converted " + subject(2).roi,
                             }));
    EXPECT_FALSE(fs::exists(test::voiPathOf(s1)));
}

TEST_F(BatchRun, AMissingTimeCourseFileFailsOnlyItsSet) {
    fs::remove(subject(1).stc);
    const std::string output = test::voiPathOf(subject(1));
    { std::ofstream(output) << "previous result"; }

    expectSummary(run(listOf({0, 1, 2})), 3, 2, 0, 1);
    ASSERT_EQ(log.entries.size(), 3u);
    EXPECT_EQ(log.entries[0], "Converted " + subject(0).roi);
    EXPECT_EQ(log.entries[1],
              "!!!! Could not convert " + subject(1).roi + ": Failed opening STC for reading: " + subject(1).stc);
    EXPECT_EQ(log.entries[2], "Converted " + subject(2).roi);
    EXPECT_EQ(readFile(output), "previous result");  // the old file is kept
}

TEST_F(BatchRun, AnOutputThatCannotBeCreatedFailsOnlyItsSet) {
    const std::string output = test::voiPathOf(subject(1));
    fs::create_directory(output);  // a folder where the .voi file belongs
    expectSummary(run(listOf({0, 1, 2})), 3, 2, 0, 1);
    ASSERT_EQ(log.entries.size(), 3u);
    EXPECT_EQ(log.entries[1], "!!!! Could not convert " + subject(1).roi + ": Cannot Create file: " + output);
    EXPECT_TRUE(fs::is_directory(output));
    EXPECT_TRUE(fs::exists(test::voiPathOf(subject(2))));
}

TEST_F(BatchRun, AnUnwritableFolderFailsOnlyItsSet) {
    const fs::path folder = fs::path(subject(1).roi).parent_path();
    fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    if (std::ofstream(folder / "probe")) {
        fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
        GTEST_SKIP() << "permissions are not enforced for this user";
    }
    const BatchSummary summary = run(listOf({0, 1, 2}));
    fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add);
    expectSummary(summary, 3, 2, 0, 1);
    ASSERT_EQ(log.entries.size(), 3u);
    EXPECT_EQ(log.entries[1], "!!!! Could not convert " + subject(1).roi +
                                    ": Cannot Create file: " + test::voiPathOf(subject(1)));
    EXPECT_EQ(log.entries[2], "Converted " + subject(2).roi);
}

TEST_F(BatchRun, AChainWithNonFiniteElementsFailsOnlyItsSet) {
    test::editFile(subject(1).fmr, "InplaneResolutionX:", "InplaneResolutionX: 0\nIgnored:");
    expectSummary(run(listOf({0, 1, 2})), 3, 2, 0, 1);
    ASSERT_EQ(log.entries.size(), 3u);
    EXPECT_EQ(log.entries[1], "!!!! Could not convert " + subject(1).roi +
                                    ": The transformation chain has non-finite elements (check the voxel "
                                    "sizes and slice distance of " + subject(1).fmr +
                                    " and ToVMRVoxelRes of " + subject(1).ia + ")");
    EXPECT_FALSE(fs::exists(test::voiPathOf(subject(1))));
}

TEST_F(BatchRun, AHostileRoiFileInTheMiddleDisturbsNoOtherSet) {
    // Plot and voxel counts far beyond what the file holds, then binary garbage: the set
    // gets the one complete triple the file has, and nothing else is affected.
    { std::ofstream(subject(1).roi, std::ios::binary | std::ios::trunc)
          << "FileVersion: 6\nNrOfTCPlots: 2147483647\nNrOfVoxels: 2147483647\n1 2 3\n4 5\xff\x00\x80"; }
    expectSummary(run(listOf({0, 1, 2})), 3, 3, 0, 0);
    EXPECT_EQ(log.entries, (std::vector<std::string>{
                               "Converted " + subject(0).roi, "Converted " + subject(1).roi,
                               "Only part of the ROI file " + subject(1).roi +
                                   " was read: it holds 1 of the 2147483647 plots that NrOfTCPlots announces; plot 1 "
                                   "holds 1 of the 2147483647 voxels that its NrOfVoxels announces",
                               "Converted " + subject(2).roi}));
    const std::string hostile = readFile(test::voiPathOf(subject(1)));
    EXPECT_NE(hostile.find("NrOfVOIs:                   1\n"), std::string::npos) << hostile;
    EXPECT_EQ(hostile, test::expectedVoiText(subject(1), false));
    EXPECT_EQ(readFile(test::voiPathOf(subject(2))), test::expectedVoiText(subject(2), false));
}

TEST_F(BatchRun, LogsTheRoiVoxelsOutsideTheFunctionalGridPerVoi) {
    // Two plots: the first with one voxel inside and two outside the grid, the second inside.
    { std::ofstream(subject(0).roi, std::ios::binary | std::ios::trunc)
          << "FileVersion: 6\nNrOfTCPlots: 2\n\nNrOfVoxels: 3\n10 10 5\n-1 10 5\n10 10 4000\n"
          << "\nNrOfVoxels: 1\n11 11 5\n"; }
    expectSummary(run(listOf({0})), 1, 1, 0, 0);
    EXPECT_EQ(log.entries, (std::vector<std::string>{
                                 "Converted " + subject(0).roi,
                                 "VOI 1 of " + subject(0).roi + ": 2 voxels outside the functional grid were skipped",
                             }));
}

TEST_F(BatchRun, WritesCrLfLineEndsOnRequest) {
    ConvertOptions options;
    options.crlf = true;
    expectSummary(run(listOf({1}), options), 1, 1, 0, 0);
    const std::string text = readFile(test::voiPathOf(subject(1)));
    std::string lf;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            EXPECT_TRUE(i > 0 && text[i - 1] == '\r') << "LF without CR at " << i;
        }
        if (text[i] != '\r') lf += text[i];
    }
    EXPECT_EQ(lf, test::expectedVoiText(subject(1), false));
}

TEST_F(BatchRun, ADryRunDescribesEverySetAndWritesNothing) {
    fs::remove(subject(2).ia);
    const auto listing = [&] {
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(study.root)) {
            names.push_back(entry.path().string() + " " + std::to_string(fs::last_write_time(entry).time_since_epoch().count()));
        }
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::string> before = listing();
    ConvertOptions options;
    options.dryRun = true;
    expectSummary(run(listOf({0, 1, 2}), options), 3, 2, 1, 0);
    std::vector<std::string> expected = {
        "Would write " + test::voiPathOf(subject(0)) + " from " + subject(0).roi,
        "Would write " + test::voiPathOf(subject(1)) + " from " + subject(1).roi,
        "!!!! Not enough files could be loaded to convert " + subject(2).roi,
        "IA.trf could not be loaded: " + subject(2).ia,
    };
    if (subject(2).tal.empty()) expected.push_back("TAL could not be loaded: ");
    EXPECT_EQ(log.entries, expected);
    EXPECT_EQ(listing(), before);
}

TEST_F(BatchRun, FramesEverySetWithItsStartAndOutcome) {
    const std::string list = listOf({2, 0, 1, 0});  // the same ROI twice: the later replaces
    EXPECT_EQ(countSets(list), 4);
    expectSummary(run(list), 4, 4, 0, 0);
    std::vector<std::string> expected;
    int number = 0;
    for (int index : {2, 0, 1, 0}) {
        const std::string n = std::to_string(++number);
        expected.push_back("start " + n + " " + subject(index).roi);
        expected.push_back("converted " + n + " " + test::voiPathOf(subject(index)) + " vois=" +
                           std::to_string(readRoiFile(subject(index).roi).plots.size()));
    }
    EXPECT_EQ(log.events, expected);
}

TEST_F(BatchRun, TellsTheObserverWhichSetsWereReportedOrFailed) {
    fs::remove(subject(1).stc);
    test::writeList(dir.file("list.txt"), {subject(0).roi, subject(0).fmr,  // no IA, FA, ACPC
                                              subject(1).roi, subject(1).fmr, subject(1).ia, subject(1).fa,
                                              subject(1).acpc, subject(2).roi, subject(2).fmr,
                                              subject(2).ia, subject(2).fa, subject(2).acpc});
    ConvertOptions dryRun;
    dryRun.dryRun = true;
    for (const bool dry : {false, true}) {
        log.events.clear();
        const BatchSummary summary = run(dir.file("list.txt"), dry ? dryRun : ConvertOptions{});
        // A dry run checks the time-course file as the conversion does: the second set fails.
        expectSummary(summary, 3, 1, 1, 1);
        const std::string acpc2 = outputPathFor(subject(2).roi, "_ACPC_.voi");
        const std::vector<std::string> expected = {
            "start 1 " + subject(0).roi,
            "reported 1",
            "start 2 " + subject(1).roi,
            "failed 2 Failed opening STC for reading: " + subject(1).stc,
            "start 3 " + subject(2).roi,
            "converted 3 " + acpc2 + (dry ? " unsaved" : " vois=" + std::to_string(readRoiFile(subject(2).roi).plots.size())),
        };
        EXPECT_EQ(log.events, expected) << (dry ? "dry run" : "conversion");
    }
}

TEST_F(BatchRun, AnUnreadableListLogsNothing) {
    fs::create_directory(dir.file("folder.txt"));
    for (const std::string& list : {std::string(), dir.file("missing.txt"), dir.file("folder.txt")}) {
        const BatchSummary summary = run(list);
        EXPECT_FALSE(summary.listReadable) << "list '" << list << "'";
        EXPECT_EQ(summary.setsFound, 0);
        EXPECT_EQ(countSets(list), 0);
    }
    EXPECT_TRUE(log.entries.empty());
}

TEST_F(BatchRun, EndsAtALineLongerThanAnyPathWithoutHoldingIt) {
    // A 20 MB line 1 is refused as soon as it passes the limit; the batch ends there.
    EXPECT_THROW(run(dir.write("long.txt", std::string(20u << 20, 'x') + ".roi")), ListLineTooLong);
    EXPECT_TRUE(log.entries.empty());
}

TEST_F(BatchRun, ListsWithoutSetsConvertNothing) {
    for (const std::string& text : {std::string(), std::string("/only/line/1\n"), std::string("\nnotes\ns1.fmr\n")}) {
        const std::string list = dir.write("plain.txt", text);
        const BatchSummary summary = run(list);
        expectSummary(summary, 0, 0, 0, 0);
    }
    EXPECT_TRUE(log.entries.empty());
}

// Raises the stop request as set `stopAt` ends, as Ctrl-C during that set would.
class StopAtSet : public EntryRecorder {
public:
    StopAtSet(StopRequest& stop, int stopAt) : stop_(stop), stopAt_(stopAt) {}
    void onSetFinished(const FileSet& set, const SetResult& result) override {
        EntryRecorder::onSetFinished(set, result);
        if (result.setNumber == stopAt_) stop_.request();
    }

private:
    StopRequest& stop_;
    int stopAt_;
};

TEST_F(BatchRun, AStopRequestEndsTheBatchAfterTheCurrentSet) {
    const std::string list = listOf({0, 1, 2, 0, 1});
    StopRequest stop;
    StopAtSet observer(stop, 2);
    ConvertOptions options;
    options.stop = &stop;
    const BatchSummary summary = runBatch(list, observer, options);
    expectSummary(summary, 2, 2, 0, 0);
    EXPECT_TRUE(summary.interrupted);
    EXPECT_EQ(summary.setsInList, 5);
    // The set running when the request came ended normally; the third never started.
    ASSERT_EQ(observer.events.size(), 4u);
    EXPECT_EQ(observer.events.back().rfind("converted 2 ", 0), 0u) << observer.events.back();
    EXPECT_EQ(observer.entries.back(), "!!!! Batch interrupted after set 2 of 5: the sets after it were not run");
    EXPECT_TRUE(fs::exists(test::voiPathOf(subject(1))));
    EXPECT_FALSE(fs::exists(test::voiPathOf(subject(2))));
}

TEST_F(BatchRun, AStopRequestedBeforeTheFirstSetRunsNoSet) {
    StopRequest stop;
    stop.request();
    ConvertOptions options;
    options.stop = &stop;
    const BatchSummary summary = run(listOf({0, 1, 2}), options);
    expectSummary(summary, 0, 0, 0, 0);
    EXPECT_TRUE(summary.interrupted);
    EXPECT_EQ(summary.setsInList, 3);
    EXPECT_TRUE(log.events.empty());
    EXPECT_EQ(log.entries, std::vector<std::string>{"!!!! Batch interrupted before set 1 of 3: no set was run"});
    for (int index = 0; index < 3; ++index) EXPECT_FALSE(fs::exists(test::voiPathOf(subject(index))));
}

TEST_F(BatchRun, ARequestDuringTheLastSetIsNoInterruption) {
    StopRequest stop;
    StopAtSet observer(stop, 3);
    ConvertOptions options;
    options.stop = &stop;
    const BatchSummary summary = runBatch(listOf({0, 1, 2}), observer, options);
    expectSummary(summary, 3, 3, 0, 0);
    EXPECT_FALSE(summary.interrupted);
    EXPECT_EQ(observer.entries.back().rfind("Converted ", 0), 0u);
}

}  // namespace
}  // namespace zandrel
