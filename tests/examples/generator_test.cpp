// The generator's building blocks and its determinism.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <locale>
#include <map>
#include <sstream>
#include <stdexcept>

#include "generator/affine.h"
#include "generator/random.h"
#include "generator/study_generator.h"
#include "generator/text_output.h"
#include "program_run.h"
#include "temp_dir.h"

namespace zandrel::test {
namespace {

namespace fs = std::filesystem;
namespace gen = zandrel::studygen;

TEST(TextOutput, FixedDecimalsRoundsHalfAwayAndNeverWritesMinusZero) {
    struct Case {
        double value;
        int decimals;
        const char* fixed;
        const char* compact;
    };
    const Case cases[] = {
        {0.5, 1, "0.5", "0.5"},
        {2.5, 0, "3", "3"},
        {-2.5, 0, "-3", "-3"},
        {-1e-17, 16, "0.0000000000000000", "0"},
        {-0.004, 2, "0.00", "0"},
        {3e-16, 16, "0.0000000000000003", "0.0000000000000003"},
        {-0.0498, 3, "-0.050", "-0.05"},
        {123.456, 3, "123.456", "123.456"},
        {2000.0 / 30.0, 2, "66.67", "66.67"},
        {-7.25, 16, "-7.2500000000000000", "-7.25"},
        {1.0, 16, "1.0000000000000000", "1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(gen::fixedDecimals(c.value, c.decimals), c.fixed) << c.value << " with " << c.decimals;
        EXPECT_EQ(gen::compactDecimals(c.value, c.decimals), c.compact) << c.value << " with " << c.decimals;
    }
    EXPECT_THROW(gen::fixedDecimals(1e3, 16), std::logic_error);
    EXPECT_THROW(gen::fixedDecimals(NAN, 2), std::logic_error);
}

TEST(TextOutput, KeyedEntriesLineUpAndLongKeysKeepOneBlank) {
    gen::KeyedTextBuilder crlf(true, 12);
    crlf.entry("TR", 2000);
    crlf.entry("NrOfVolumes", 2);
    crlf.entry("ResolutionX", "64");
    EXPECT_EQ(crlf.text(), "TR:         2000\r\nNrOfVolumes: 2\r\nResolutionX: 64\r\n");
    gen::KeyedTextBuilder lf(false, 4);
    lf.line();
    lf.entry("AC", "128 128 128");
    EXPECT_EQ(lf.text(), "\nAC: 128 128 128\n");
}

TEST(TextOutput, SamplesAreLittleEndian) {
    std::string bytes;
    gen::appendLittleEndian16(bytes, -2);
    gen::appendLittleEndian16(bytes, 600);
    gen::appendLittleEndianFloat(bytes, 1.0f);
    gen::appendLittleEndianFloat(bytes, -20.5f);
    EXPECT_EQ(bytes, std::string("\xFE\xFF\x58\x02\x00\x00\x80\x3F\x00\x00\xA4\xC1", 12));
}

TEST(Random, FollowsTheSplitMixSequence) {
    gen::Random random(0);
    EXPECT_EQ(random.next(), 0xE220A8397B1DCDAFull);
    EXPECT_EQ(random.next(), 0x6E789E6AA1B965F4ull);
    EXPECT_EQ(random.next(), 0x06C45D188009454Full);
    gen::Random ranged(42);
    for (int i = 0; i < 1000; ++i) {
        const int value = ranged.integer(-3, 3);
        ASSERT_TRUE(value >= -3 && value <= 3) << value;
        const double unit = ranged.unit();
        ASSERT_TRUE(unit >= 0.0 && unit < 1.0) << unit;
    }
}

TEST(Affine, SeriesSineAndCosineMatchTheLibraryAndRotationsStayOrthonormal) {
    for (double degrees : {-45.0, -12.5, -1.0, 0.0, 0.3, 6.0, 30.0, 45.0}) {
        const double radians = degrees * 3.141592653589793 / 180.0;
        EXPECT_NEAR(gen::sineDegrees(degrees), std::sin(radians), 1e-15) << degrees;
        EXPECT_NEAR(gen::cosineDegrees(degrees), std::cos(radians), 1e-15) << degrees;
    }
    EXPECT_THROW(gen::sineDegrees(50.0), std::logic_error);
    const gen::Affine r = gen::rotationDegrees(5.0, -3.0, 11.0);
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b) {
            double dot = 0.0;
            for (int k = 0; k < 3; ++k) dot += r.at(k, a) * r.at(k, b);
            EXPECT_NEAR(dot, a == b ? 1.0 : 0.0, 1e-15) << a << "," << b;
        }
}

// Every file below `root`, relative path -> content.
std::map<std::string, std::string> snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[entry.path().lexically_relative(root).generic_string()] = readFile(entry.path().string());
    return files;
}

// A locale that writes numbers with a decimal comma and digit grouping.
struct CommaPunct : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

TEST(WriteStudy, SamePlanGivesSameBytesWhateverTheLocaleAndOtherSeedsDiffer) {
    gen::StudyPlan plan = gen::testStudyPlan(2, 9);
    plan.prefix = "./";
    TempDir first, second, other;
    gen::writeStudy(first.path().string(), plan);
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    gen::writeStudy(second.path().string(), plan);
    std::locale::global(previous);
    EXPECT_TRUE(snapshot(first.path()) == snapshot(second.path()));

    gen::StudyPlan reseeded = gen::testStudyPlan(2, 10);
    reseeded.prefix = "./";
    gen::writeStudy(other.path().string(), reseeded);
    const auto a = snapshot(first.path()), b = snapshot(other.path());
    EXPECT_NE(a.at("subject1/s1.roi"), b.at("subject1/s1.roi"));
    EXPECT_NE(a.at("subject2/s2_IA.trf"), b.at("subject2/s2_IA.trf"));
}

TEST(WriteStudy, RefusesPlansItCannotHonour) {
    struct Case {
        const char* what;
        void (*change)(gen::StudyPlan&);
    };
    const Case cases[] = {
        {"name with a separator", [](gen::StudyPlan& s) { s.subjects[0].name = "a/b"; }},
        {"empty stem", [](gen::StudyPlan& s) { s.subjects[0].stem = ""; }},
        {"parent folder as name", [](gen::StudyPlan& s) { s.subjects[0].name = ".."; }},
        {"name used twice", [](gen::StudyPlan& s) { s.subjects[1].name = s.subjects[0].name; }},
        {"stem used twice", [](gen::StudyPlan& s) { s.subjects[1].stem = s.subjects[0].stem; }},
        {"tiny grid", [](gen::StudyPlan& s) { s.subjects[0].resolutionX = 8; }},
        {"too few slices", [](gen::StudyPlan& s) { s.subjects[0].slices = 3; }},
        {"no volumes", [](gen::StudyPlan& s) { s.subjects[0].volumes = 0; }},
        {"negative plots", [](gen::StudyPlan& s) { s.subjects[0].plots = -1; }},
        {"zero thickness", [](gen::StudyPlan& s) { s.subjects[0].sliceThickness = 0.0; }},
        {"list in a folder", [](gen::StudyPlan& s) { s.listName = "x/study.txt"; }},
    };
    for (const Case& c : cases) {
        gen::StudyPlan plan = gen::testStudyPlan(2, 1);
        c.change(plan);
        TempDir dir;
        EXPECT_THROW(gen::writeStudy(dir.path().string(), plan), std::invalid_argument) << c.what;
        EXPECT_TRUE(fs::is_empty(dir.path())) << c.what << ": nothing is written for a refused plan";
    }
}

TEST(WriteStudy, ReportsAFolderItCannotCreate) {
    TempDir dir;
    const std::string blocker = dir.write("blocker", "a file where the study folder should go");
    EXPECT_THROW(gen::writeStudy(blocker + "/study", gen::testStudyPlan(1, 1)), std::runtime_error);
}

#if defined(ZANDREL_MAKE_STUDY) && !defined(_WIN32)
// Exit status of zandrel_make_study with `arguments`, split at spaces.
int runMakeStudy(const std::string& arguments) {
    std::vector<std::string> words;
    std::istringstream split(arguments);
    for (std::string word; split >> word;) words.push_back(word);
    return runProgram(ZANDREL_MAKE_STUDY, words).status;
}

TEST(MakeStudy, WritesTheSmallStudyOfTheLibraryAndRejectsBadArguments) {
    TempDir byTool, byLibrary;
    ASSERT_EQ(runProgram(ZANDREL_MAKE_STUDY, {"--small", "--subjects=3", "--seed", "12", "--", byTool.file("out")}).status, 0);
    gen::writeStudy(byLibrary.file("out"), gen::testStudyPlan(3, 12));
    auto tool = snapshot(byTool.path() / "out"), library = snapshot(byLibrary.path() / "out");
    tool.erase("study.txt");  // line 1 holds the absolute folder
    library.erase("study.txt");
    EXPECT_EQ(tool.size(), 20u);
    EXPECT_TRUE(tool == library);

    for (const char* bad : {"", "--subjects 0 x", "x --subjects", "x --seed -1", "x --seed=18446744073709551616",
                            "x --subjects 2x", "x y", "x --bogus", "--subjects=3"})
        EXPECT_EQ(runMakeStudy(bad), 2) << bad;
}
#endif

}  // namespace
}  // namespace zandrel::test
