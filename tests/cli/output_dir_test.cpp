// `zandrel convert --output-dir`, the dry run's check of every output folder, and the
// system's reason after every file that cannot be created.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "program_run.h"
#include "study_fixture.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;
using test::ProgramRun;
using test::TempDir;

ProgramRun zandrel(const TempDir& dir, const std::vector<std::string>& args) {
    return test::runProgram(ZANDREL_EXECUTABLE, args, dir.path().string());
}

std::string relative(const std::string& path, const std::string& root) {
    return fs::path(path).lexically_relative(root).generic_string();
}

// Two subjects whose ROI files share a name: subject1/s1.roi and subject2/s1.roi, both with
// landmarks, so both .voi files are named s1_TAL_.voi; listed in study/study.txt, whose
// line 1 is the study's folder.
studygen::GeneratedStudy sharedNameStudy(const TempDir& dir) {
    studygen::GeneratedStudy study;
    for (int n = 0; n < 2; ++n) {
        studygen::StudyPlan plan = studygen::testStudyPlan(1, 11 + n);
        plan.subjects[0].name = "subject" + std::to_string(n + 1);
        plan.listName = "generated" + std::to_string(n + 1) + ".txt";
        const studygen::GeneratedStudy written = studygen::writeStudy(dir.file("study"), plan);
        study.root = written.root;
        study.subjects.push_back(written.subjects[0]);
    }
    std::string list = study.root + "/\n";
    for (const auto& files : study.subjects) {
        for (const std::string& line : test::setLines(files)) list += relative(line, study.root) + "\n";
    }
    study.listPath = dir.write("study/study.txt", list);
    return study;
}

TEST(OutputDir, TwoSubjectsSharingARoiFileNameStayApart) {
    TempDir dir;
    const studygen::GeneratedStudy study = sharedNameStudy(dir);

    ProgramRun run = zandrel(dir, {"convert", "study/study.txt", "--output-dir", "out", "--dry-run"});
    EXPECT_EQ(run.status, 0) << run.err;
    std::string expected;
    for (const auto& files : study.subjects) {
        expected += "Would write out/" + relative(test::voiPathOf(files), study.root) + " from " + files.roi + "\n";
    }
    EXPECT_EQ(run.out, expected);
    EXPECT_FALSE(fs::exists(dir.file("out"))) << "a dry run creates no folder";

    run = zandrel(dir, {"convert", "study/study.txt", "--output-dir", "out"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "zandrel convert: 2 converted; outputs under out\n");
    for (const auto& files : study.subjects) {
        const std::string written = dir.file("out/" + relative(test::voiPathOf(files), study.root));
        EXPECT_EQ(test::readFile(written), test::expectedVoiText(files, false)) << written;
        EXPECT_FALSE(fs::exists(test::voiPathOf(files))) << "nothing beside the ROI file";
    }
    EXPECT_TRUE(fs::exists(dir.file("out/subject1/s1_TAL_.voi")));
    EXPECT_TRUE(fs::exists(dir.file("out/subject2/s1_TAL_.voi")));
}

TEST(OutputDir, ARoiFileOutsideThePrefixFailsItsSet) {
    TempDir dir;
    const studygen::GeneratedStudy study = sharedNameStudy(dir);
    const studygen::SubjectFiles& second = study.subjects[1];

    // Absolute names after an empty line 1; a name leaving the prefix through "..".
    const std::string absolute = test::writeList(dir.file("absolute.txt"), test::setLines(second));
    std::string escaping = study.root + "/subject1/\n";
    for (const std::string& line : test::setLines(second)) escaping += relative(line, study.root + "/subject1") + "\n";
    dir.write("escaping.txt", escaping);

    const struct {
        const char* list;
        std::string roi;
        std::string prefix;
    } cases[] = {
        {"absolute.txt", second.roi, ""},
        {"escaping.txt", study.root + "/subject1/../subject2/s1.roi", study.root + "/subject1/"},
    };
    for (const auto& c : cases) {
        for (const bool dryRun : {false, true}) {
            std::vector<std::string> args = {"convert", c.list, "--output-dir", "out"};
            if (dryRun) args.push_back("--dry-run");
            const ProgramRun run = zandrel(dir, args);
            EXPECT_EQ(run.status, 1) << c.list;
            EXPECT_EQ(run.out, "!!!! Could not convert " + c.roi + ": the ROI file is not below the list's prefix \"" +
                                   c.prefix + "\", so it has no place in the output folder out\n")
                << c.list;
            EXPECT_FALSE(fs::exists(dir.file("out/s1_TAL_.voi")));
        }
    }
    EXPECT_FALSE(fs::exists(test::voiPathOf(second)));

    // An output folder that is a file is a usage error before anything runs.
    dir.write("plain", "x");
    const ProgramRun run = zandrel(dir, {"convert", "study/study.txt", "--output-dir", "plain"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("--output-dir plain: not a folder"), std::string::npos) << run.err;
}

// The dry run fails a set exactly as the real run does when its folder cannot be written.
TEST(DryRun, ReportsWhyAnOutputFolderCannotBeWritten) {
    TempDir dir;
    const studygen::GeneratedStudy study = sharedNameStudy(dir);
    dir.write("plain", "a file where a folder should be");
    for (const bool dryRun : {true, false}) {
        std::vector<std::string> args = {"convert", "study/study.txt", "--output-dir", "plain/out"};
        if (dryRun) args.push_back("--dry-run");
        const ProgramRun run = zandrel(dir, args);
        EXPECT_EQ(run.status, 1) << dryRun;
        std::string expected;
        for (const auto& files : study.subjects) {
            expected += "!!!! Could not convert " + files.roi + ": Cannot Create file: plain/out/" +
                        relative(test::voiPathOf(files), study.root) + ": Not a directory\n";
        }
        EXPECT_EQ(run.out, expected) << dryRun;
    }
}

TEST(DryRun, ReportsAFolderWithoutWritePermission) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into every folder";
    TempDir dir;
    const studygen::GeneratedStudy study = sharedNameStudy(dir);
    const std::string folder = study.root + "/subject1";
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    const ProgramRun dry = zandrel(dir, {"convert", "study/study.txt", "--dry-run"});
    const ProgramRun real = zandrel(dir, {"convert", "study/study.txt"});
    fs::permissions(folder, fs::perms::owner_all);
    const std::string failure = "!!!! Could not convert " + study.subjects[0].roi + ": Cannot Create file: " +
                                test::voiPathOf(study.subjects[0]) + ": Permission denied\n";
    EXPECT_EQ(dry.out.substr(0, failure.size()), failure);
    EXPECT_EQ(real.out.substr(0, failure.size()), failure);
}

TEST(CannotCreate, TheReasonFollowsOnStandardOutputAndInTheTranscript) {
    TempDir dir;
    const studygen::GeneratedStudy study = sharedNameStudy(dir);
    const std::string voi = test::voiPathOf(study.subjects[0]);
    fs::create_directory(voi);  // a folder where the .voi file goes
    const ProgramRun run = zandrel(dir, {"convert", "study/study.txt", "--transcript", "t.jsonl"});
    EXPECT_EQ(run.status, 1);
    const std::string entry =
        "!!!! Could not convert " + study.subjects[0].roi + ": Cannot Create file: " + voi + ": Is a directory";
    EXPECT_EQ(run.out.substr(0, entry.size() + 1), entry + "\n");
    EXPECT_EQ(test::readFile(dir.file("t.jsonl")).substr(0, entry.size() + 3), "\"" + entry + "\"\n");
    EXPECT_EQ(run.err, "zandrel convert: 1 converted, 1 failed\n");
}

TEST(RunLists, AnUnreadableListIsNamedWithItsReason) {
    TempDir dir;
    fs::create_directory(dir.file("folder.txt"));
    for (const std::string& command : {std::string("project"), std::string("extract")}) {
        ProgramRun run = zandrel(dir, {command, "nope.txt"});
        EXPECT_EQ(run.status, 2) << command;
        EXPECT_EQ(run.err, " Error: Can not read this text file!: nope.txt: No such file or directory\n") << command;
        run = zandrel(dir, {command, "folder.txt"});
        EXPECT_EQ(run.err, " Error: Can not read this text file!: folder.txt: Is a directory\n") << command;
    }
}

}  // namespace
}  // namespace zandrel
