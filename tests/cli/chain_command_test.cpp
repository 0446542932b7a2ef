// `zandrel chain`, run as a program on files written in a fresh folder. Printed numbers
// are read back and compared bit for bit with the factors computed in this process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "formats/fmr_header.h"
#include "formats/trf_record.h"
#include "chain/chain_factors.h"
#include "generator/study_generator.h"
#include "program_run.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

using test::TempDir;
using Json = nlohmann::json;

using test::ProgramRun;

ProgramRun chain(const TempDir& dir, const std::vector<std::string>& args) {
    std::vector<std::string> words{"chain"};
    words.insert(words.end(), args.begin(), args.end());
    return test::runProgram(ZANDREL_EXECUTABLE, words, dir.path().string());
}

// One set's four files; the FMR and IA contents vary per test.
struct SetFiles {
    std::string fmr, ia, fa, acpc;
    std::vector<std::string> args() const { return {fmr, ia, fa, acpc}; }
};

const char* const kWorkedFmr =
    "FileVersion: 7\nResolutionX: 64\nResolutionY: 64\nNrOfSlices: 20\n"
    "InplaneResolutionX: 2\nInplaneResolutionY: 2\nSliceThickness: 3\nSliceGap: 1\n";
const char* const kIdentityIa =
    "FileVersion: 5\nDataFormat: Matrix\n1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\n"
    "ExtraVMRTransf: 0\nToVMRVoxelRes: 1\n";
const char* const kAbsentTrf = "DataFormat: Matrix\n2 0 0 5\n0 2 0 5\n0 0 2 5\n0 0 0 1\n";

SetFiles writeSet(const TempDir& dir, const std::string& fmr, const std::string& ia,
                  const std::string& fa = kAbsentTrf, const std::string& acpc = kAbsentTrf) {
    return {dir.write("run.fmr", fmr), dir.write("IA.trf", ia), dir.write("FA.trf", fa),
            dir.write("ACPC.trf", acpc)};
}

ChainFactors factorsOf(const SetFiles& set) {
    return computeChainFactors(readFmrHeader(set.fmr, false), readTrfFile(set.ia),
                               readTrfFile(set.fa), readTrfFile(set.acpc));
}

// A set with rotations, translations, a fine alignment and a slice flip, so that most
// elements need all nine significant digits.
SetFiles writeRealisticSet(const TempDir& dir) {
    return writeSet(
        dir,
        "FileVersion: 7\nInplaneResolutionX: 3\nInplaneResolutionY: 3\nSliceThickness: 3\n"
        "SliceGap: 0.5\nPositionInformationFromImageHeaders\nSlice1CenterX: 0.5\n"
        "Slice1CenterY: -12\nSlice1CenterZ: -40\nSliceNCenterX: 1.5\nSliceNCenterY: -10\n"
        "SliceNCenterZ: 48.5\nGapThickness: 0.5\n",
        "FileVersion: 5\nDataFormat: Matrix\n0.0499 -0.9925 0.1114 11\n0.9987 0.0496 -0.0085 -6.5\n"
        "0.0029 0.1117 0.9937 3.25\n0 0 0 1\nExtraVMRTransf: 0\nToVMRVoxelRes: 1\n",
        "FileVersion: 5\nDataFormat: Matrix\n1.01 0.008 0.004 0.7\n-0.008 1 0.013 -0.3\n"
        "-0.004 -0.01 1 0.2\n0 0 0 1\n",
        "FileVersion: 4\nDataFormat: Matrix\n0.9888 0.1494 0 -1.8\n-0.1489 0.9856 0.0799 4.2\n"
        "0.0119 -0.079 0.9968 2.6\n0 0 0 1\n");
}

TEST(ChainCommand, WorkedExamplePrintsTheChainAndEveryFactor) {
    TempDir dir;
    const ProgramRun run = chain(dir, writeSet(dir, kWorkedFmr, kIdentityIa).args());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string identity = "  1  0  0  0\n  0  1  0  0\n  0  0  1  0\n  0  0  0  1\n";
    EXPECT_EQ(run.out,
              "M = F * S_fmr * IA^-1 * X * S_vmr * FA^-1 * A\n"
              "   0.5     0     0     0\n     0   0.5     0     0\n"
              "     0     0  0.25     0\n     0     0     0     1\n"
              "\nF (slice-direction flip)\n" + identity +
              "\nS_fmr (millimetres to functional voxels)\n"
              "   0.5     0     0     0\n     0   0.5     0     0\n"
              "     0     0  0.25     0\n     0     0     0     1\n"
              "\nIA^-1 (inverse initial alignment)\n" + identity +
              "\nX (extra anatomical transformation)\n" + identity +
              "\nS_vmr (anatomical voxels to millimetres)\n" + identity +
              "\nFA^-1 (inverse fine alignment)\n" + identity +
              "\nA (ACPC transformation)\n" + identity);
}

// Every printed number reads back to exactly the float that the chain computed.
TEST(ChainCommand, JsonHoldsTheSameMatricesUnderTheirNames) {
    TempDir dir;
    const SetFiles set = writeRealisticSet(dir);
    std::vector<std::string> args = set.args();
    args.insert(args.begin(), "--json");
    const ProgramRun run = chain(dir, args);
    ASSERT_EQ(run.status, 0) << run.err;
    const Json json = Json::parse(run.out);
    const ChainFactors f = factorsOf(set);
    const std::pair<const char*, const Matrix4*> named[] = {
        {"M", &f.gridToFunctional}, {"F", &f.sliceFlip}, {"S_fmr", &f.millimetresToFunctional}, {"IA^-1", &f.anatomicalToFunctional},
        {"X", &f.extraAnatomical}, {"S_vmr", &f.voxelsToMillimetres}, {"FA^-1", &f.anatomicalToAligned}, {"A", &f.acpcToAnatomical}};
    for (const auto& [name, matrix] : named) {
        ASSERT_TRUE(json.contains(name)) << name;
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) {
                EXPECT_EQ(static_cast<float>(json[name][r][c].get<double>()), matrix->at(r, c))
                    << name << " (" << r << ", " << c << ")";
            }
        }
    }
    EXPECT_EQ(json["faInverted"], true);
    EXPECT_EQ(json["finite"], true);
    EXPECT_NE(f.sliceFlip, Matrix4()) << "the set should exercise the slice flip";
}

// A header without voxel sizes gives infinite scales: the matrices are still printed
// ("Infinity" or "NaN", in JSON as strings), with the reason a conversion gives, and the exit status says the set is unusable.
TEST(ChainCommand, NonFiniteChainIsPrintedWithTheReasonAndFails) {
    TempDir dir;
    const SetFiles set = writeSet(dir, "FileVersion: 7\nResolutionX: 64\n", kIdentityIa);
    const ProgramRun text = chain(dir, set.args());
    EXPECT_EQ(text.status, 1);
    EXPECT_NE(text.out.find("Infinity"), std::string::npos) << text.out;
    EXPECT_EQ(text.err, "zandrel chain: The transformation chain has non-finite elements (check the voxel "
                        "sizes and slice distance of " + set.fmr + " and ToVMRVoxelRes of " + set.ia +
                        ")\n");

    std::vector<std::string> args = set.args();
    args.push_back("--json");
    const ProgramRun json = chain(dir, args);
    EXPECT_EQ(json.status, 1);
    const Json parsed = Json::parse(json.out);
    EXPECT_EQ(parsed["M"][0][0], "NaN");  // infinity times the zeros of the other factors
    EXPECT_EQ(parsed["S_fmr"][2][2], "Infinity");
    EXPECT_EQ(parsed["S_fmr"][3][3], 1.0);
    EXPECT_EQ(parsed["finite"], false);
}

// An FA matrix of zeros inverts to zeros: the chain is finite but maps the whole grid onto
// one point. The command refuses it exactly as the conversion of the same set does.
TEST(ChainCommand, ChainThatConvertRefusesFailsWithConvertsReason) {
    TempDir dir;
    studygen::StudyPlan plan = studygen::testStudyPlan(1, 7);
    const studygen::GeneratedStudy study = studygen::writeStudy(dir.file("study"), plan);
    const studygen::SubjectFiles& files = study.subjects.at(0);
    dir.write("study/subject1/s1_FA.trf", "FileVersion: 5\nDataFormat: Matrix\n"
                                          "0 0 0 0\n0 0 0 0\n0 0 0 0\n0 0 0 0\n");
    ASSERT_EQ(dir.file("study/subject1/s1_FA.trf"), files.fa);

    const ProgramRun convert = test::runProgram(ZANDREL_EXECUTABLE, {"convert", study.listPath}, dir.path().string());
    EXPECT_EQ(convert.status, 1);
    const std::string refusal = "!!!! Could not convert " + files.roi + ": ";
    ASSERT_EQ(convert.out.rfind(refusal, 0), 0u) << convert.out;
    const std::string reason = convert.out.substr(refusal.size(), convert.out.find('\n') - refusal.size());
    EXPECT_NE(reason.find("less than one functional voxel"), std::string::npos) << reason;

    for (const bool json : {false, true}) {
        std::vector<std::string> args{files.fmr, files.ia, files.fa, files.acpc};
        if (json) args.push_back("--json");
        const ProgramRun run = chain(dir, args);
        EXPECT_EQ(run.status, 1) << (json ? "--json" : "text");
        EXPECT_EQ(run.err, "zandrel chain: " + reason + "\n") << (json ? "--json" : "text");
        EXPECT_FALSE(run.out.empty()) << "the matrices are still printed";
    }
}

// An IA matrix cut short is refused before anything is printed, with the reason the
// conversion of the same set logs.
TEST(ChainCommand, MatrixCutShortFailsWithConvertsReason) {
    TempDir dir;
    const studygen::GeneratedStudy study = studygen::writeStudy(dir.file("study"), studygen::testStudyPlan(1, 7));
    const studygen::SubjectFiles& files = study.subjects.at(0);
    dir.write("study/subject1/s1_IA.trf", "FileVersion: 5\nDataFormat: Matrix\n1 0 0 0\n0 1 0 0\n0 0 1\n");
    ASSERT_EQ(dir.file("study/subject1/s1_IA.trf"), files.ia);
    const std::string reason = "The transformation file " + files.ia + " holds only 11 of the 16 numbers of its matrix";

    const ProgramRun convert = test::runProgram(ZANDREL_EXECUTABLE, {"convert", study.listPath}, dir.path().string());
    EXPECT_EQ(convert.status, 1);
    EXPECT_EQ(convert.out, "!!!! Could not convert " + files.roi + ": " + reason + "\n");

    for (const bool json : {false, true}) {
        std::vector<std::string> args{files.fmr, files.ia, files.fa, files.acpc};
        if (json) args.push_back("--json");
        const ProgramRun run = chain(dir, args);
        EXPECT_EQ(run.status, 1) << (json ? "--json" : "text");
        EXPECT_EQ(run.err, "zandrel chain: " + reason + "\n") << (json ? "--json" : "text");
        EXPECT_EQ(run.out, "") << (json ? "--json" : "text");
    }
}

TEST(ChainCommand, UnreadableFileIsReportedWithItsPath) {
    TempDir dir;
    SetFiles set = writeSet(dir, kWorkedFmr, kIdentityIa);
    set.fa = dir.file("missing FA.trf");
    const ProgramRun run = chain(dir, set.args());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "zandrel chain: Failed opening for reading: " + set.fa + "\n");
}

TEST(ChainCommand, UsageErrorsNameWhatIsWrong) {
    TempDir dir;
    const SetFiles set = writeSet(dir, kWorkedFmr, kIdentityIa);
    std::vector<std::string> tooMany = set.args();
    tooMany.push_back("extra.trf");
    std::vector<std::string> unknown = set.args();
    unknown.push_back("--xml");
    const struct {
        std::vector<std::string> args;
        const char* named;
    } cases[] = {
        {{set.fmr, set.ia, set.fa}, "ACPC"},
        {tooMany, "extra.trf"},
        {unknown, "--xml"},
    };
    for (const auto& c : cases) {
        const ProgramRun run = chain(dir, c.args);
        EXPECT_EQ(run.status, 2) << c.named;
        EXPECT_EQ(run.err.rfind("zandrel chain: ", 0), 0u) << run.err;
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "") << c.named;
    }
}

}  // namespace
}  // namespace zandrel
