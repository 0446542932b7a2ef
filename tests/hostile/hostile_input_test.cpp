// Hostile input, end to end through `zandrel convert`: each case damages one file of one
// set of a converted study and checks the log entry it must produce, that the other sets
// are converted exactly as before, that no existing file (the set's earlier .voi file
// included) is destroyed, and that the command line stays within time and memory.
#include <algorithm>
#include <cstdint>
#include <ostream>
#include <utility>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "hostile_study.h"

namespace zandrel::test {
namespace {

namespace fs = std::filesystem;

const std::string kRoi2 = "./subject2/s2.roi";

std::string convertedEntry(const std::string& roi) { return literal("Converted " + roi); }
std::string failedEntry(const std::string& roi, const std::string& messagePattern) {
    return literal("!!!! Could not convert " + roi + ": ") + messagePattern;
}

std::string singularChainEntry() {
    return failedEntry(kRoi2, literal("The transformation chain maps the whole anatomical grid into less than one "
                                      "functional voxel (check the voxel sizes of ./subject2/s2_run1.fmr, the "
                                      "matrices of ./subject2/s2_IA.trf, "
                                      "./subject2/s2_FA.trf and ./subject2/s2_ACPC.trf, and ToVMRVoxelRes of "
                                      "./subject2/s2_IA.trf)"));
}

// Deterministic bytes of every value, line ends and NULs included.
std::string garbage(std::size_t size, std::uint64_t seed) {
    std::string bytes(size, '\0');
    std::uint64_t state = seed;
    for (char& c : bytes) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        c = static_cast<char>(state >> 56);
    }
    return bytes;
}

// The VOI sections of a .voi text, each from its "NameOfVOI:" up to the next one (the
// last up to "NrOfVOIVTCs:").
std::vector<std::string> voiSections(const std::string& text) {
    std::vector<std::string> sections;
    std::size_t at = text.find("NameOfVOI:");
    while (at != std::string::npos) {
        std::size_t next = text.find("NameOfVOI:", at + 1);
        const std::size_t end = next != std::string::npos ? next : text.find("NrOfVOIVTCs:", at);
        std::string section = text.substr(at, end - at);
        // The blank lines after a VOI differ for the last one.
        while (!section.empty() && (section.back() == '\n' || section.back() == '\r')) section.pop_back();
        sections.push_back(section);
        at = next;
    }
    return sections;
}

Expected expect(int exitStatus, std::vector<std::string> entries, std::vector<std::string> mayChange = {}) {
    Expected expected;
    expected.exitStatus = exitStatus;
    expected.entries = std::move(entries);
    expected.mayChange = std::move(mayChange);
    return expected;
}

// ---- Counts in the ROI file ----

TEST_F(HostileStudyTest, VoxelCountOfIntMaxKeepsOnlyTheTriplesInTheFile) {
    const std::vector<std::string> before = voiSections(read(outputOf(2)));
    setEntry("subject2/s2.roi", "NrOfVoxels:", "2147483647");
    convertAndCheck(2, expect(0, {convertedEntry(kRoi2),
                                  literal("Only part of the ROI file " + kRoi2 + " was read: it holds 1 of the 2 "
                                          "plots that NrOfTCPlots announces; plot 1 holds ") +
                                      "[0-9]+" + literal(" of the 2147483647 voxels that its NrOfVoxels announces")},
                       {outputOf(2)}));
    // The first plot keeps the triples that stood in the file, so its VOI is unchanged;
    // the words of the second plot end its voxel list, and that plot is lost.
    const std::vector<std::string> after = voiSections(read(outputOf(2)));
    ASSERT_EQ(after.size(), 1u);
    EXPECT_TRUE(after[0] == before.at(0)) << "the first VOI changed";
}

TEST_F(HostileStudyTest, NegativeVoxelCountReadsNoVoxels) {
    const std::vector<std::string> before = voiSections(read(outputOf(2)));
    setEntry("subject2/s2.roi", "NrOfVoxels:", "-5");
    convertAndCheck(2, expect(0, {convertedEntry(kRoi2)}, {outputOf(2)}));
    // The first VOI is empty; the second plot is found after the first one's numbers.
    const std::vector<std::string> after = voiSections(read(outputOf(2)));
    ASSERT_EQ(after.size(), 2u);
    EXPECT_NE(after[0].find("NrOfVoxels: 0"), std::string::npos);
    EXPECT_TRUE(after[1] == before.at(1)) << "the second VOI changed";
}

// ---- Sizes in the FMR header ----

const std::string kStc2 = "./subject2/s2_run1.stc";

TEST_F(HostileStudyTest, TimeCourseSizeBeyond32BitsIsRefused) {
    setEntry("subject2/s2_run1.fmr", "NrOfVolumes:", "65536");
    setEntry("subject2/s2_run1.fmr", "NrOfSlices:", "256");
    setEntry("subject2/s2_run1.fmr", "ResolutionX:", "256");
    setEntry("subject2/s2_run1.fmr", "ResolutionY:", "256");
    convertAndCheck(2, expect(1, {failedEntry(kRoi2, literal("Time-course data file " + kStc2 + " holds 81920 bytes but the "
                                                       "header promises 4398046511104 bytes") + ".*")}));
}

TEST_F(HostileStudyTest, TimeCourseFileShorterThanPromisedIsRefused) {
    const std::string data = read("subject2/s2_run1.stc");
    write("subject2/s2_run1.stc", data.substr(0, data.size() / 2 + 1));
    convertAndCheck(2, expect(1, {failedEntry(kRoi2, literal("Time-course data file " + kStc2 + " holds 40961 bytes but the "
                                                       "header promises 81920 bytes") + ".*")}));
}

TEST_F(HostileStudyTest, EmptyFunctionalGridIsRefused) {
    setEntry("subject2/s2_run1.fmr", "ResolutionX:", "0");
    setEntry("subject2/s2_run1.fmr", "ResolutionY:", "0");
    setEntry("subject2/s2_run1.fmr", "NrOfSlices:", "0");
    convertAndCheck(2, expect(1, {failedEntry(kRoi2, literal("Time-course data file " + kStc2 + " cannot be read: ") + ".*")}));
}

TEST_F(HostileStudyTest, EmptyFunctionalGridWithoutVolumesIsRefused) {
    setEntry("subject2/s2_run1.fmr", "NrOfVolumes:", "0");
    setEntry("subject2/s2_run1.fmr", "ResolutionX:", "0");
    setEntry("subject2/s2_run1.fmr", "ResolutionY:", "0");
    setEntry("subject2/s2_run1.fmr", "NrOfSlices:", "0");
    convertAndCheck(2, expect(1, {failedEntry(kRoi2, literal("The functional grid of ./subject2/s2_run1.fmr is unusable: ") + ".*")}));
}

// A header without volumes promises no data, so the .stc size cannot bound its grid: the
// builder's own bound keeps a 4096 x 4096 x 8 mask (half a gigabyte) from being allocated.
TEST_F(HostileStudyTest, HugeFunctionalGridWithoutVolumesIsRefused) {
    setEntry("subject2/s2_run1.fmr", "NrOfVolumes:", "0");
    setEntry("subject2/s2_run1.fmr", "ResolutionX:", "4096");
    setEntry("subject2/s2_run1.fmr", "ResolutionY:", "4096");
    setEntry("subject2/s2_run1.fmr", "NrOfSlices:", "8");
    convertAndCheck(2, expect(1, {failedEntry(kRoi2, literal("The functional grid of ./subject2/s2_run1.fmr is unusable: "
                                                             "4096 x 4096 x 8") + ".*")}));
}

struct VoxelSizeCase {
    const char* name;
    std::vector<std::pair<const char*, const char*>> entries;
};
void PrintTo(const VoxelSizeCase& c, std::ostream* out) { *out << c.name; }

class VoxelSizeTest : public HostileStudyTest, public ::testing::WithParamInterface<VoxelSizeCase> {};

// A number that cannot be read ends the header there: the sizes after it stay 0.
TEST_P(VoxelSizeTest, UnusableVoxelSizeIsRefused) {
    for (const auto& [key, value] : GetParam().entries) setEntry("subject2/s2_run1.fmr", key, value);
    convertAndCheck(2, expect(1, {failedEntry(kRoi2, literal("The transformation chain has non-finite elements") + ".*")}));
}

INSTANTIATE_TEST_SUITE_P(
    HostileStudy, VoxelSizeTest,
    ::testing::Values(VoxelSizeCase{"ZeroInplane", {{"InplaneResolutionX:", "0"}}},
                      VoxelSizeCase{"ZeroSliceStep", {{"SliceThickness:", "0"}, {"SliceGap:", "0"}}},
                      VoxelSizeCase{"OverflowingNumber", {{"InplaneResolutionY:", "1e39"}}},
                      VoxelSizeCase{"NotANumber", {{"SliceThickness:", "nan"}}},
                      VoxelSizeCase{"Infinity", {{"InplaneResolutionX:", "inf"}}}),
    [](const auto& info) { return std::string(info.param.name); });

// A slice step of 3e38 mm is a number like any other, but its inverse (a subnormal float)
// flattens every slice of the grid onto one.
TEST_F(HostileStudyTest, HugeSliceStepIsRefused) {
    setEntry("subject2/s2_run1.fmr", "SliceThickness:", "3e38");
    convertAndCheck(2, expect(1, {singularChainEntry()}));
}

// ---- Matrices ----


// The pseudo-inverse of a matrix of zeros is zero: the chain would map the whole
// anatomical grid onto one functional voxel, whose VOI would be all 16,777,216 points.
TEST_F(HostileStudyTest, FineAlignmentOfZerosIsRefused) {
    write("subject2/s2_FA.trf", "FileVersion: 5\nDataFormat: Matrix\n0 0 0 0\n0 0 0 0\n0 0 0 0\n0 0 0 0\n");
    convertAndCheck(2, expect(1, {singularChainEntry()}));
}

TEST_F(HostileStudyTest, RankDeficientAcpcMatrixIsRefused) {
    write("subject2/s2_ACPC.trf", "FileVersion: 5\nDataFormat: Matrix\n1 0 0 0\n0 1 0 0\n0 0 0 0\n0 0 0 1\n");
    convertAndCheck(2, expect(1, {singularChainEntry()}));
}

// Not singular, but its inverse shrinks the grid's 256^3 points into less than a
// thousandth of a functional voxel.
TEST_F(HostileStudyTest, NearlySingularChainIsRefused) {
    write("subject2/s2_FA.trf", "FileVersion: 5\nDataFormat: Matrix\n1000 0 0 0\n0 1000 0 0\n0 0 1000 0\n0 0 0 1\n");
    convertAndCheck(2, expect(1, {singularChainEntry()}));
}

TEST_F(HostileStudyTest, HugeMatrixElementsAreRefused) {
    write("subject2/s2_IA.trf", "FileVersion: 5\nDataFormat: Matrix\n3e38 0 0 3e38\n0 3e38 0 0\n0 0 3e38 0\n0 0 0 1\n"
                                "ToVMRVoxelRes: 1\n");
    convertAndCheck(2, expect(1, {failedEntry(kRoi2, literal("The transformation chain has non-finite elements") + ".*")}));
}

// "nan" is not a number to the reader: it ends the file, and the elements not read keep
// the identity's values.
// A "nan" ends the reading of the matrix after five numbers: the set is refused instead of
// being converted with a matrix that is partly the identity.
TEST_F(HostileStudyTest, NotANumberInAMatrixRefusesTheSet) {
    write("subject2/s2_ACPC.trf", "FileVersion: 5\nDataFormat: Matrix\n1 0 0 0\n0 nan 0 0\n0 0 1 0\n0 0 0 1\n");
    convertAndCheck(2, expect(1, {failedEntry(kRoi2, literal("The transformation file ./subject2/s2_ACPC.trf holds "
                                                             "only 5 of the 16 numbers of its matrix"))}));
}

// ---- Landmarks ----

// "128.5" gives AC.x 128 and ends the file at ".5": no landmark is read completely, and a
// mapping with zeros in their place would give empty VOIs, so the set is refused.
TEST_F(HostileStudyTest, LandmarkWithFractionRefusesTheSet) {
    setEntry("subject3/s3.tal", "AC:", "128.5 128 128");
    convertAndCheck(3, expect(1, {failedEntry("./subject3/s3.roi",
                                              literal("The landmark file ./subject3/s3.tal lacks the landmarks AC:, "
                                                      "PC:, AP:, PP:, SP:, IP:, RP:, LP: (each needs three whole "
                                                      "numbers)"))}));
}

// ---- Files of 20 MB without a line end ----

TEST_F(HostileStudyTest, TwentyMegabyteListLineWithoutLineEndRefusesTheList) {
    std::string list = read("study.txt");
    const long lines = static_cast<long>(std::count(list.begin(), list.end(), '\n')) + 1;
    list.append(20u << 20, 'x');
    write("long.txt", list);
    const FolderSnapshot before = snapshotFolder(path(""));
    const ProgramRun run = convert("long.txt");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "zandrel convert: long.txt is refused as a list: line " + std::to_string(lines) +
                           " is longer than 65536 bytes, longer than any path\n");
    // Nothing was converted or written, not even the transcript.
    const FolderSnapshot after = snapshotFolder(path(""));
    EXPECT_TRUE(after.files == before.files && after.folders == before.folders);
}

TEST_F(HostileStudyTest, TwentyMegabyteRoiLineWithoutLineEnd) {
    std::string roi = "FileVersion: 6 NrOfTCPlots: 1 NrOfVoxels: 2000000000 ";
    while (roi.size() < (20u << 20)) roi += "16 16 5 ";
    roi += "16 16";
    write("subject2/s2.roi", roi);
    convertAndCheck(2, expect(0, {convertedEntry(kRoi2),
                                  literal("Only part of the ROI file " + kRoi2 + " was read: plot 1 holds ") +
                                      "[0-9]+" + literal(" of the 2000000000 voxels that its NrOfVoxels announces")},
                       {outputOf(2)}));
    // Every triple is the same voxel: one VOI, as for a ROI of that voxel alone.
    EXPECT_EQ(voiSections(read(outputOf(2))).size(), 1u);
}

// ---- Binary garbage under every extension ----

struct GarbageCase {
    const char* name;
    const char* file;
    int subject;
    int exitStatus;
    std::string entry;  // pattern of the set's entry
};
void PrintTo(const GarbageCase& c, std::ostream* out) { *out << c.name; }

class GarbageTest : public HostileStudyTest, public ::testing::WithParamInterface<GarbageCase> {};

TEST_P(GarbageTest, BinaryGarbage) {
    write(GetParam().file, garbage(64 << 10, 99));
    convertAndCheck(GetParam().subject, expect(GetParam().exitStatus, {GetParam().entry}, {outputOf(GetParam().subject)}));
}

// A keyed file of garbage holds no entry: a ROI file without plots gives a .voi file without
// VOIs, TRF and TAL files without FileVersion count as absent, and an FMR header without
// Prefix names a time-course file ".stc" that does not exist.
INSTANTIATE_TEST_SUITE_P(
    HostileStudy, GarbageTest,
    ::testing::Values(
        GarbageCase{"Roi", "subject2/s2.roi", 2, 0, convertedEntry(kRoi2)},
        GarbageCase{"Fmr", "subject2/s2_run1.fmr", 2, 1,
                    failedEntry(kRoi2, literal("Failed opening STC for reading: ./subject2/.stc"))},
        GarbageCase{"TimeCourse", "subject2/s2_run1.stc", 2, 1,
                    failedEntry(kRoi2, literal("Time-course data file " + kStc2 + " holds 65536 bytes") + ".*")},
        // Without "ToVMRVoxelRes:" the anatomical voxel size is 0.
        GarbageCase{"InitialAlignment", "subject2/s2_IA.trf", 2, 1, singularChainEntry()},
        GarbageCase{"FineAlignment", "subject2/s2_FA.trf", 2, 0, convertedEntry(kRoi2)},
        GarbageCase{"Acpc", "subject2/s2_ACPC.trf", 2, 0, convertedEntry(kRoi2)},
        GarbageCase{"Landmarks", "subject3/s3.tal", 3, 0, convertedEntry("./subject3/s3.roi")}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Paths ----

TEST_F(HostileStudyTest, OutputPathTakenByAFolder) {
    fs::remove(path(outputOf(2)));
    fs::create_directory(path(outputOf(2)));
    write(outputOf(2) + "/kept.txt", "kept");
    convertAndCheck(2, expect(1, {failedEntry(kRoi2, literal("Cannot Create file: ./" + outputOf(2) + ": Is a directory"))}));
}

TEST_F(HostileStudyTest, SameRoiNamedTwice) {
    std::string list = read("study.txt");
    list += "subject2/s2.roi\nsubject2/s2_run1.fmr\nsubject2/s2_IA.trf\nsubject2/s2_FA.trf\nsubject2/s2_ACPC.trf\n";
    write("twice.txt", list);
    convertAndCheck(2, expect(0, {convertedEntry(kRoi2), convertedEntry(kRoi2)}), "twice.txt");
}

TEST_F(HostileStudyTest, ListNamesAFolder) {
    fs::create_directory(path("subject2/folder.fmr"));
    std::string list = read("study.txt");
    list.replace(list.find("subject2/s2_run1.fmr"), std::string("subject2/s2_run1.fmr").size(), "subject2/folder.fmr");
    write("folder.txt", list);
    convertAndCheck(2,
                    expect(1, {literal("!!!! Not enough files could be loaded to convert " + kRoi2),
                               literal("FMR could not be loaded: ./subject2/folder.fmr"),
                               literal("TAL could not be loaded: ")}),
                    "folder.txt");
}

}  // namespace
}  // namespace zandrel::test
