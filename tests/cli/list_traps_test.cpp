// `zandrel convert` on lists that a first run trips over: lists written on Windows, files
// that are no list, letter case, a prefix without separator; every run's summary line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "program_run.h"
#include "study_fixture.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;
using test::ProgramRun;
using test::TempDir;

ProgramRun convert(const TempDir& dir, const std::vector<std::string>& args) {
    std::vector<std::string> words{"convert"};
    words.insert(words.end(), args.begin(), args.end());
    return test::runProgram(ZANDREL_EXECUTABLE, words, dir.path().string());
}

std::string windowsName(const std::string& path, const std::string& root) {
    std::string name = fs::path(path).lexically_relative(root).generic_string();
    for (char& c : name) {
        if (c == '/') c = '\\';
    }
    return name;
}

// The list Notepad writes on Windows for a study under D:\Study: byte-order mark, drive
// prefix, backslashes, CR LF.
std::string windowsList(const studygen::GeneratedStudy& study) {
    std::string text = "\xEF\xBB\xBF" "D:\\Study\\\r\n";
    for (const auto& files : study.subjects) {
        for (const std::string& path : test::setLines(files)) text += windowsName(path, study.root) + "\r\n";
    }
    return text;
}

std::string relativeRoi(const studygen::SubjectFiles& files, const std::string& root) {
    return fs::path(files.roi).lexically_relative(root).generic_string();
}

TEST(ListTraps, AWindowsListConvertsHereWithAPrefix) {
    TempDir dir;
    const studygen::GeneratedStudy study = studygen::writeStudy(dir.file("study"), studygen::testStudyPlan(2, 7));
    const std::string list = dir.write("study/windows.txt", windowsList(study));

    // As written, every set names D:/Study/...: reported, each report followed by the hint.
    ProgramRun run = convert(dir, {"study/windows.txt", "--transcript", "t.jsonl"});
    EXPECT_EQ(run.status, 1) << run.err;
    const std::string hint =
        "  These paths were written on Windows: run the list with --prefix DIR, DIR the folder that holds its files "
        "here (--prefix @list: the list's own folder)\n";
    const std::string firstReport = "!!!! Not enough files could be loaded to convert D:/Study/" +
                                    relativeRoi(study.subjects[0], study.root) + "\n";
    ASSERT_EQ(run.out.rfind(firstReport, 0), 0u) << run.out;
    EXPECT_NE(run.out.find("TAL could not be loaded: D:/Study/"), std::string::npos) << run.out;
    std::size_t hints = 0;
    for (std::size_t at = run.out.find(hint); at != std::string::npos; at = run.out.find(hint, at + 1)) ++hints;
    EXPECT_EQ(hints, 2u) << run.out;
    EXPECT_NE(test::readFile(dir.file("t.jsonl")).find("\"  These paths were written on Windows"), std::string::npos);
    EXPECT_EQ(run.err, "zandrel convert: 0 converted, 2 reported\n");

    // With the folder given, from the current folder or as the list's own, every set converts.
    for (const std::string prefix : {"study", "study/", "@list"}) {
        run = convert(dir, {"study/windows.txt", "--prefix", prefix});
        EXPECT_EQ(run.status, 0) << prefix << ": " << run.err;
        std::string expected;
        for (const auto& files : study.subjects) {
            expected += "Converted study/" + relativeRoi(files, study.root) + "\n";
            EXPECT_EQ(test::readFile(test::voiPathOf(files)), test::expectedVoiText(files, false)) << files.roi;
            fs::remove(test::voiPathOf(files));
        }
        EXPECT_EQ(run.out, expected) << prefix;
        EXPECT_EQ(run.err, "zandrel convert: 2 converted\n") << prefix;
    }

    run = convert(dir, {"study/windows.txt", "--prefix", "elsewhere"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "zandrel convert: --prefix elsewhere: no such folder; try 'zandrel help convert'\n");
}

TEST(ListTraps, FilesThatAreNoListAreRefusedAtOnce) {
    TempDir dir;
    std::string utf16;
    for (char c : std::string("/d/\r\ns1.roi\r\n")) utf16 += std::string{c, '\0'};
    const struct {
        const char* name;
        std::string content;
        std::string what;
    } cases[] = {
        {"empty", "", "the file is empty"},
        {"PowerShell's UTF-16", "\xFF\xFE" + utf16, "this is UTF-16 text (little-endian); save the list as 8-bit text (UTF-8)"},
        {"UTF-16 without mark", utf16, "this is UTF-16 text (little-endian); save the list as 8-bit text (UTF-8)"},
        {"UTF-32", std::string("\xFF\xFE\0\0/\0\0\0", 8), "this is UTF-32 text (little-endian); save the list as 8-bit text (UTF-8)"},
        {"binary", std::string("/d/\ns1.roi\n\x7F" "ELF\0\0\0", 17), "line 3 holds NUL bytes: this is no text file"},
        {"one line of 300 kB", "/d/\n" + std::string(300000, 'x') + ".roi\n", "line 2 is longer than 65536 bytes, longer than any path"},
    };
    for (const auto& c : cases) {
        const std::string list = dir.write("list.txt", c.content);
        const ProgramRun run = convert(dir, {"list.txt", "--transcript", "t.jsonl"});
        EXPECT_EQ(run.status, 2) << c.name;
        EXPECT_EQ(run.out, "") << c.name;
        EXPECT_EQ(run.err, "zandrel convert: list.txt is refused as a list: " + c.what + "\n") << c.name;
        EXPECT_FALSE(fs::exists(dir.file("t.jsonl"))) << c.name;
    }

    const ProgramRun missing = convert(dir, {"nope.txt"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, " Error: Can not read this text file!: nope.txt: No such file or directory\n");
}

TEST(ListTraps, LetterCaseAndAGluedPrefixAreWarnedAboutLineByLine) {
    TempDir dir;
    dir.write("list.txt", "/data/Study\nS1.ROI\ns1.roi\ns1_ia.trf\ns1.fmr\n");
    const ProgramRun run = convert(dir, {"list.txt"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "zandrel convert: warning: line 2 (\"S1.ROI\") is ignored: its ending differs from \"roi\" only in "
              "letter case\n"
              "zandrel convert: warning: line 4 (\"s1_ia.trf\") is ignored: its ending differs from \"IA.trf\" only "
              "in letter case\n"
              "zandrel convert: warning: line 1, the prefix \"/data/Study\", does not end with a folder separator: it "
              "is joined directly to every name\n"
              "zandrel convert: 0 converted, 1 reported\n");
    EXPECT_EQ(run.out.rfind("!!!! Not enough files could be loaded to convert /data/Studys1.roi\n", 0), 0u) << run.out;

    // Only upper-case lines: no set at all, which fails with its reason.
    dir.write("upper.txt", "/data/\nS1.ROI\nS1.FMR\n");
    const ProgramRun upper = convert(dir, {"upper.txt"});
    EXPECT_EQ(upper.status, 1);
    EXPECT_NE(upper.err.find("zandrel convert: the list names no ROI file: upper.txt\n"), std::string::npos) << upper.err;
}

TEST(ListTraps, EveryRunEndsWithOneSummaryLine) {
    TempDir dir;
    const studygen::GeneratedStudy study = studygen::writeStudy(dir.file("study"), studygen::testStudyPlan(3, 5));
    const auto& s = study.subjects;
    fs::remove(s[2].stc);  // the third set fails while it is read
    test::writeList(dir.file("list.txt"), {s[0].roi, s[0].fmr, s[0].ia, s[0].fa, s[0].acpc,       //
                                           s[1].roi, s[1].fmr, s[1].ia, s[1].fa,                    //
                                           s[2].roi, s[2].fmr, s[2].ia, s[2].fa, s[2].acpc});
    ProgramRun run = convert(dir, {"list.txt"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "zandrel convert: 1 converted, 1 reported, 1 failed\n");

    run = convert(dir, {"list.txt", "--dry-run"});
    EXPECT_EQ(run.err, "zandrel convert: 1 would be converted, 1 reported, 1 failed\n");
}

}  // namespace
}  // namespace zandrel
