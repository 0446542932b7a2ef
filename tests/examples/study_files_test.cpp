// What a generated study holds, read back from the files with plain string handling.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <set>
#include <tuple>

#include "generated_files.h"
#include "generator/study_generator.h"
#include "temp_dir.h"

namespace zandrel::test {
namespace {

using namespace generated;
namespace gen = zandrel::studygen;

class StudyFiles : public ::testing::Test {
protected:
    // Four subjects cover every option of the test studies.
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        plan_ = gen::testStudyPlan(4, 5);
        study_ = gen::writeStudy(dir_->path().string(), plan_);
    }
    static void TearDownTestSuite() { delete dir_; }

    static TempDir* dir_;
    static gen::StudyPlan plan_;
    static gen::GeneratedStudy study_;
};
TempDir* StudyFiles::dir_ = nullptr;
gen::StudyPlan StudyFiles::plan_;
gen::GeneratedStudy StudyFiles::study_;

TEST_F(StudyFiles, ListNamesEverySubjectsFilesBehindTheAbsolutePrefix) {
    const auto list = lines(readFile(study_.listPath));
    const std::string prefix = std::filesystem::path(study_.root).generic_string() + "/";
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list[0], prefix);
    std::vector<std::string> expected{prefix};
    for (std::size_t s = 0; s < plan_.subjects.size(); ++s) {
        const gen::SubjectFiles& f = study_.subjects[s];
        for (const std::string* path : {&f.roi, &f.fmr, &f.ia, &f.fa, &f.acpc, &f.tal}) {
            if (path->empty()) continue;
            const std::string relative = std::filesystem::path(*path).lexically_relative(study_.root).generic_string();
            expected.push_back(relative);
            EXPECT_TRUE(std::filesystem::is_regular_file(prefix + relative)) << relative;
        }
        EXPECT_EQ(f.tal.empty(), !plan_.subjects[s].withTal) << plan_.subjects[s].name;
    }
    EXPECT_EQ(list, expected);
}

TEST_F(StudyFiles, LineEndsFollowTheSubjectAndEveryFileEndsWithALineEnd) {
    for (std::size_t s = 0; s < plan_.subjects.size(); ++s) {
        const gen::SubjectFiles& f = study_.subjects[s];
        for (const std::string* path : {&f.roi, &f.fmr, &f.ia, &f.fa, &f.acpc, &f.tal}) {
            if (path->empty()) continue;
            const std::string text = readFile(*path);
            ASSERT_FALSE(text.empty()) << *path;
            EXPECT_EQ(text.back(), '\n') << *path;
            for (const std::string& line : lines(text)) {
                const bool cr = !line.empty() && line.back() == '\r';
                EXPECT_EQ(cr, plan_.subjects[s].crlf) << *path << ": " << line;
                if (cr != plan_.subjects[s].crlf) break;
            }
        }
    }
}

TEST_F(StudyFiles, FmrHeaderHasEveryKeyLinedUpAndItsSliceTimingTableLast) {
    const char* keys[] = {"FileVersion:", "NrOfVolumes:", "NrOfSlices:", "NrOfSkippedVolumes:", "Prefix:",
        "DataStorageFormat:", "DataType:", "TR:", "InterSliceTime:", "TimeResolutionVerified:", "TE:",
        "SliceAcquisitionOrder:", "SliceAcquisitionOrderVerified:", "ResolutionX:", "ResolutionY:", "LoadAMRFile:",
        "ShowAMRFile:", "ImageIndex:", "LayoutNColumns:", "LayoutNRows:", "LayoutZoomLevel:", "SegmentSize:",
        "SegmentOffset:", "NrOfLinkedProtocols:", "ProtocolFile:", "InplaneResolutionX:", "InplaneResolutionY:",
        "SliceThickness:", "SliceGap:", "VoxelResolutionVerified:", "PositionInformationFromImageHeaders",
        "PosInfosVerified:", "CoordinateSystem:", "Slice1CenterX:", "Slice1CenterY:", "Slice1CenterZ:",
        "SliceNCenterX:", "SliceNCenterY:", "SliceNCenterZ:", "RowDirX:", "RowDirY:", "RowDirZ:", "ColDirX:",
        "ColDirY:", "ColDirZ:", "NRows:", "NCols:", "FoVRows:", "FoVCols:", "SliceThickness:", "GapThickness:",
        "NrOfPastSpatialTransformations:", "LeftRightConvention:", "FirstDataSourceFile:", "MultibandSequence:",
        "SliceTimingTableSize:"};
    for (std::size_t s = 0; s < plan_.subjects.size(); ++s) {
        const gen::SubjectPlan& subject = plan_.subjects[s];
        const std::string text = readFile(study_.subjects[s].fmr);
        std::vector<std::string> found;
        for (std::string line : lines(text)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const std::size_t colon = line.find(':');
            if (line.empty() || std::isdigit(static_cast<unsigned char>(line[0]))) continue;
            found.push_back(line.substr(0, colon == std::string::npos ? line.size() : colon + 1));
            if (colon != std::string::npos && colon < 27) {
                EXPECT_TRUE(line[27] == ' ' && line[28] != ' ') << "value not in column 29: " << line;
            }
        }
        EXPECT_EQ(found, std::vector<std::string>(std::begin(keys), std::end(keys))) << subject.name;
        EXPECT_EQ(valueAfter(text, "Prefix:"), "\"" + subject.stem + "_run1\"");
        EXPECT_EQ(numberAfter(text, "DataType:"), subject.floatData ? 2 : 1);
        // The slice timing table closes the file: a word after it would be lost to a reader.
        const auto all = words(text);
        EXPECT_EQ(all.size(), static_cast<std::size_t>(std::find(all.begin(), all.end(), "SliceTimingTableSize:") -
                                                       all.begin()) + 2 + subject.slices);
        const double dz = numberAfter(text, "Slice1CenterZ:") - numberAfter(text, "SliceNCenterZ:");
        EXPECT_GT(std::fabs(dz), std::fabs(numberAfter(text, "Slice1CenterX:") - numberAfter(text, "SliceNCenterX:")));
        EXPECT_EQ(dz < 0, subject.ascendingSlices) << subject.name;
    }
}

// Sample (x, y, slice) of volume v, decoded from the little-endian bytes.
double sample(const std::string& data, const gen::SubjectPlan& s, int x, int y, int slice, int v) {
    const std::size_t index =
        ((static_cast<std::size_t>(slice) * s.volumes + v) * s.resolutionY + y) * s.resolutionX + x;
    if (s.floatData) {
        std::uint32_t bits = 0;
        for (int b = 3; b >= 0; --b) bits = (bits << 8) | static_cast<unsigned char>(data[index * 4 + b]);
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    const auto low = static_cast<unsigned char>(data[index * 2]), high = static_cast<unsigned char>(data[index * 2 + 1]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8)));
}

TEST_F(StudyFiles, TimeCourseDataHoldsABrainOnADarkBackground) {
    for (std::size_t s = 0; s < plan_.subjects.size(); ++s) {
        const gen::SubjectPlan& subject = plan_.subjects[s];
        const std::string data = readFile(study_.subjects[s].stc);
        ASSERT_EQ(data.size(), static_cast<std::size_t>(subject.slices) * subject.volumes * subject.resolutionY *
                                   subject.resolutionX * (subject.floatData ? 4 : 2));
        const int cx = subject.resolutionX / 2, cy = subject.resolutionY / 2, cz = subject.slices / 2;
        for (int v = 0; v < subject.volumes; ++v) {
            EXPECT_NEAR(sample(data, subject, 0, 0, 0, v), 20.0, 7.0) << subject.name;
            EXPECT_NEAR(sample(data, subject, subject.resolutionX - 1, subject.resolutionY - 1, cz, v), 20.0, 7.0);
            EXPECT_NEAR(sample(data, subject, cx + subject.resolutionX / 4, cy, cz, v), 600.0, 60.0) << subject.name;
        }
    }
}

TEST_F(StudyFiles, RoiPlotsAreBlobsInsideTheGridWithMatchingBounds) {
    for (std::size_t s = 0; s < plan_.subjects.size(); ++s) {
        const gen::SubjectPlan& subject = plan_.subjects[s];
        const std::string text = readFile(study_.subjects[s].roi);
        const auto plots = roiPlots(text);
        ASSERT_EQ(plots.size(), static_cast<std::size_t>(subject.plots)) << subject.name;
        EXPECT_EQ(numberAfter(text, "NrOfTCPlots:"), subject.plots);
        EXPECT_EQ(numberAfter(text, "SaveSortedVoxelList:"), subject.sortedVoxels ? 1 : 0);
        for (std::size_t p = 0; p < plots.size(); ++p) {
            const auto& voxels = plots[p].voxels;
            const bool edge = subject.edgeBlob && p + 1 == plots.size();
            EXPECT_GE(voxels.size(), 10u) << subject.name << " plot " << p;
            EXPECT_LE(voxels.size(), 400u) << subject.name << " plot " << p;
            const std::set<std::array<int, 3>> distinct(voxels.begin(), voxels.end());
            EXPECT_EQ(distinct.size(), voxels.size());
            EXPECT_EQ(std::is_sorted(voxels.begin(), voxels.end(),
                                     [](const auto& a, const auto& b) {
                                         return std::make_tuple(a[2], a[1], a[0]) < std::make_tuple(b[2], b[1], b[0]);
                                     }),
                      subject.sortedVoxels);
            int low[3] = {1 << 20, 1 << 20, 1 << 20}, high[3] = {-1, -1, -1};
            for (const auto& v : voxels)
                for (int a = 0; a < 3; ++a) {
                    low[a] = std::min(low[a], v[a]);
                    high[a] = std::max(high[a], v[a]);
                }
            EXPECT_EQ(plots[p].fromSlice, low[2]);
            EXPECT_EQ(plots[p].left, low[0]);
            EXPECT_EQ(plots[p].right, high[0]);
            EXPECT_EQ(plots[p].top, low[1]);
            EXPECT_EQ(plots[p].bottom, high[1]);
            EXPECT_GE(low[0], 1);
            EXPECT_GE(low[1], 1);
            EXPECT_LE(high[0], subject.resolutionX - 2);
            EXPECT_LE(high[1], subject.resolutionY - 2);
            EXPECT_LE(high[2], subject.slices - 1);
            EXPECT_EQ(low[2] == 0, edge) << subject.name << " plot " << p;
        }
    }
}

TEST_F(StudyFiles, TransformationsAreRigidAndTheExtraOneOnlyWhenAsked) {
    for (std::size_t s = 0; s < plan_.subjects.size(); ++s) {
        const gen::SubjectFiles& f = study_.subjects[s];
        std::vector<Matrix> matrices;
        for (const std::string* path : {&f.ia, &f.fa, &f.acpc}) {
            const std::string text = readFile(*path);
            EXPECT_EQ(valueAfter(text, "FileVersion:"), "5") << *path;
            matrices.push_back(matrixAfter(text, "Matrix"));
        }
        const std::string ia = readFile(f.ia);
        EXPECT_EQ(valueAfter(ia, "ExtraVMRTransf:"), plan_.subjects[s].extraTransform ? "1" : "0");
        if (plan_.subjects[s].extraTransform) {
            matrices.push_back(matrixAfter(ia, "ExtraVMRTransf:", 1));
            const Matrix& e = matrices.back();
            EXPECT_TRUE(e[0] < 0.9999 && e[5] < 0.9999 && e[10] < 0.9999);
        }
        for (const Matrix& m : matrices) {
            const Matrix product = multiply(m, rigidInverse(m));
            for (int i = 0; i < 16; ++i) EXPECT_NEAR(product[i], i % 5 == 0 ? 1.0 : 0.0, 1e-12) << f.ia;
            EXPECT_EQ(m[12], 0.0);
            EXPECT_EQ(m[15], 1.0);
        }
    }
}

}  // namespace
}  // namespace zandrel::test
