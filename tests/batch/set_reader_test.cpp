// The one set reader: what it refuses, and what reading only a chain's records leaves out.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "batch/set_reader.h"
#include "study_fixture.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;

class SetReader : public ::testing::Test {
protected:
    void SetUp() override {
        study = studygen::writeStudy(dir.file("study"), studygen::testStudyPlan(1, 7));
        const studygen::SubjectFiles& files = study.subjects.at(0);
        ASSERT_FALSE(files.tal.empty());
        set = FileSet{files.roi, files.fmr, files.ia, files.fa, files.acpc, files.tal};
    }

    // The message of the error that reading throws; empty when it reads.
    template <typename Read>
    static std::string errorOf(Read read) {
        try {
            read();
        } catch (const std::runtime_error& error) {
            return error.what();
        }
        return std::string();
    }
    std::string setError() const { return errorOf([this] { readSetRecords(set); }); }
    std::string chainError() const { return errorOf([this] { readChainRecords(set); }); }

    test::TempDir dir;
    studygen::GeneratedStudy study;
    FileSet set;
};

TEST_F(SetReader, ReadsEveryRecordOfACompleteSet) {
    const SetRecords records = readSetRecords(set);
    EXPECT_EQ(records.roi.path, set.roiPath);
    EXPECT_EQ(records.fmr.path, set.fmrPath);
    EXPECT_TRUE(records.fmr.volumes.empty()) << "the samples are checked, not loaded";
    EXPECT_EQ(records.tal.path, set.talPath);
    const ChainRecords chain = readChainRecords(set);
    EXPECT_EQ(chain.acpc.path, set.acpcTrfPath);
    EXPECT_EQ(chain.ia.matrixNumbersRead, 16);
}

TEST_F(SetReader, RefusesAMatrixCutShortInTheSetAndInTheChainAlike) {
    dir.write("cut_FA.trf", "FileVersion: 5\nDataFormat: Matrix\n1 0 0 0\n0 1 0 0\n0 0 1\n");
    set.faTrfPath = dir.file("cut_FA.trf");
    const std::string refusal =
        "The transformation file " + set.faTrfPath + " holds only 11 of the 16 numbers of its matrix";
    EXPECT_EQ(setError(), refusal);
    EXPECT_EQ(chainError(), refusal);
}

TEST_F(SetReader, OnlyTheSetNeedsTheTimeCourseAndLandmarkFiles) {
    dir.write("few.tal", "FileVersion: 3\nAC: 128 128 128\n");
    set.talPath = dir.file("few.tal");
    EXPECT_EQ(setError().rfind("The landmark file " + set.talPath + " lacks the landmarks ", 0), 0u) << setError();
    EXPECT_EQ(chainError(), "");

    fs::remove(study.subjects.at(0).stc);
    EXPECT_EQ(setError(), "Failed opening STC for reading: " + study.subjects.at(0).stc);
    EXPECT_EQ(chainError(), "");
}

}  // namespace
}  // namespace zandrel
