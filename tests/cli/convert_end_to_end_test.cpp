// `zandrel convert` run as a program on generated studies: output files, console,
// transcript and exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "io/json_string.h"
#include "study_fixture.h"
#include "program_run.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;

using CommandRun = test::ProgramRun;

// Runs the command line in `folder` (the test's folder when empty); standard error goes to
// a file, so no progress line is shown.
CommandRun runConvert(const TempDir& dir, const std::string& folder, const std::vector<std::string>& args) {
    std::vector<std::string> words{"convert"};
    words.insert(words.end(), args.begin(), args.end());
    return test::runProgram(ZANDREL_EXECUTABLE, words, folder.empty() ? dir.path().string() : folder);
}

std::vector<std::string> filesNamed(const std::string& root, const std::string& ending) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = entry.path().filename().string();
        if (name.size() >= ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0) {
            found.push_back(entry.path().lexically_relative(root).generic_string());
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

#ifdef ZANDREL_SANITIZE
constexpr int kSubjects = 2;  // the reference scan is slow under the sanitizers
#else
constexpr int kSubjects = 3;
#endif

TEST(ConvertCommand, ConvertsAGeneratedStudyLikeTheReferenceScan) {
    TempDir dir;
    studygen::StudyPlan plan = studygen::testStudyPlan(kSubjects, 11);
    plan.prefix = "./";
    const studygen::GeneratedStudy study = studygen::writeStudy(dir.file("study"), plan);

    const CommandRun run = runConvert(dir, study.root, {fs::path(study.listPath).filename().string(), "--transcript", "t.jsonl"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "zandrel convert: " + std::to_string(kSubjects) + " converted\n");

    std::string console;
    std::string transcript;
    std::vector<std::string> expectedVois;
    for (const auto& files : study.subjects) {
        const std::string relative = fs::path(files.roi).lexically_relative(study.root).generic_string();
        const std::string entry = "Converted ./" + relative;
        console += entry + "\n";
        transcript += jsonString(entry) + "\n";
        expectedVois.push_back(fs::path(test::voiPathOf(files)).lexically_relative(study.root).generic_string());
        EXPECT_EQ(readFile(test::voiPathOf(files)), test::expectedVoiText(files, true)) << files.roi;
    }
    std::sort(expectedVois.begin(), expectedVois.end());
    EXPECT_EQ(run.out, console);
    EXPECT_EQ(readFile(dir.file("study/t.jsonl")), transcript);
    EXPECT_EQ(filesNamed(study.root, ".voi"), expectedVois);
}

TEST(ConvertCommand, ExitStatusTellsWhetherEverySetWasConverted) {
    TempDir dir;
    const studygen::GeneratedStudy study = studygen::writeStudy(dir.file("study"), studygen::testStudyPlan(2, 5));
    const auto& s1 = study.subjects[0];
    const auto& s2 = study.subjects[1];

    // A set without its ACPC file is reported; the next set is still converted.
    const std::string list = test::writeList(dir.file("list.txt"), {s1.roi, s1.fmr, s1.ia, s1.fa,
                                                                      s2.roi, s2.fmr, s2.ia, s2.fa, s2.acpc});
    CommandRun run = runConvert(dir, dir.path().string(), {list});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "!!!! Not enough files could be loaded to convert " + s1.roi + "\n"
                       "ACPC.trf could not be loaded: \n"
                       "TAL could not be loaded: \n"
                       "Converted " + s2.roi + "\n");

    // A failure inside a set counts as well.
    fs::remove(s2.stc);
    run = runConvert(dir, dir.path().string(), {list, "--crlf"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("!!!! Could not convert " + s2.roi + ": Failed opening STC for reading: "), std::string::npos)
        << run.out;
}

TEST(ConvertCommand, ADryRunPrintsThePlanAndWritesNothing) {
    TempDir dir;
    const studygen::GeneratedStudy study = studygen::writeStudy(dir.file("study"), studygen::testStudyPlan(2, 3));
    const CommandRun run = runConvert(dir, dir.path().string(), {"--dry-run", study.listPath});
    EXPECT_EQ(run.status, 0) << run.err;
    std::string expected;
    for (const auto& files : study.subjects) expected += "Would write " + test::voiPathOf(files) + " from " + files.roi + "\n";
    EXPECT_EQ(run.out, expected);
    EXPECT_TRUE(filesNamed(study.root, ".voi").empty());
}

TEST(ConvertCommand, UsageErrorsAndUnreadableListsExitWithTwo) {
    TempDir dir;
    const std::string list = dir.write("list.txt", "\n");
    fs::create_directory(dir.file("folder.txt"));
    const std::string usage = "zandrel convert: ";
    const std::string hint = "; try 'zandrel help convert'\n";
    // Parse errors name what is wrong in the parser's words; the rest are the command's own.
    const struct {
        std::vector<std::string> args;
        std::string err;  // exact, or (with `naming`) a word the message must contain
        bool naming;
    } cases[] = {
        {{}, "LIST", true},
        {{list, "--fast"}, "--fast", true},
        {{"-x", list}, "-x", true},
        {{list, list}, list, true},
        {{list, "--transcript"}, "--transcript", true},
        {{list, "--transcript", "a", "--transcript=b"}, "--transcript", true},
        {{list, "--transcript", list}, usage + "the transcript would replace the list file" + hint, false},
        {{list, "--transcript", dir.file("no/such/t.jsonl")}, "zandrel convert: cannot create the transcript file " + dir.file("no/such/t.jsonl") + "\n", false},
        {{dir.file("missing.txt")},
         " Error: Can not read this text file!: " + dir.file("missing.txt") + ": No such file or directory\n", false},
        {{dir.file("folder.txt")}, " Error: Can not read this text file!: " + dir.file("folder.txt") + ": Is a directory\n", false},
        {{""}, " Error: Can not read this text file!: : No such file or directory\n", false},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const auto& arg : c.args) shown += " '" + arg + "'";
        const CommandRun run = runConvert(dir, dir.path().string(), c.args);
        EXPECT_EQ(run.status, 2) << "args" << shown;
        if (c.naming) {
            EXPECT_EQ(run.err.rfind(usage, 0), 0u) << "args" << shown << ": " << run.err;
            EXPECT_NE(run.err.find(c.err), std::string::npos) << "args" << shown << ": " << run.err;
            EXPECT_EQ(run.err.substr(run.err.size() - std::min(run.err.size(), hint.size())), hint) << "args" << shown;
        } else {
            EXPECT_EQ(run.err, c.err) << "args" << shown;
        }
        EXPECT_EQ(run.out, "") << "args" << shown;
    }
    EXPECT_EQ(readFile(list), "\n");
}

TEST(ConvertCommand, HelpSucceedsAndAListWithoutSetsFails) {
    TempDir dir;
    CommandRun run = runConvert(dir, dir.path().string(), {"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Exit status:"), std::string::npos);

    const std::string list = dir.write("list.txt", "/nothing/\nnotes\n");
    run = runConvert(dir, dir.path().string(), {"--", list});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "zandrel convert: the list names no ROI file: " + list + "\nzandrel convert: 0 converted\n");
}

}  // namespace
}  // namespace zandrel
