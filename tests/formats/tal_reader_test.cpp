// TAL files: keyed fields and the eight landmarks as plain integers.
#include <gtest/gtest.h>

#include <string>

#include "formats/tal_record.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

using test::TempDir;

std::array<int, 3> at(const TalRecord& tal, int index) {
    const Landmark& p = tal.landmarks[static_cast<std::size_t>(index)];
    return {p.x, p.y, p.z};
}

TEST(TalReader, CompleteFileInAnyOrder) {
    TempDir dir;
    const TalRecord tal = readTalFile(dir.write("a.tal",
        "TALVMRVoxelRes: 1\r\nLP:  200 128 128\r\nRP: 56 128 128\r\nIP: 128 190 128\r\nSP: 128 60 128\r\n"
        "PP: 128 128 230\r\nAP: 128 128 40\r\nPC:\r\n 128\r\n128\r\n152\r\nAC: 128 128 128\r\n"
        "Project: \"subject 1\"\r\nFileVersion: 3\r\nTALVMRFramingCube: 256\r\n"));
    EXPECT_EQ(tal.FileVersion.value, 3);
    EXPECT_EQ(tal.Project.value, "subject 1");
    EXPECT_EQ(tal.TALVMRFramingCube.value, 256);
    EXPECT_EQ(tal.TALVMRVoxelRes.value, 1.0f);
    EXPECT_EQ(at(tal, landmark::AC), (std::array<int, 3>{128, 128, 128}));
    EXPECT_EQ(at(tal, landmark::PC), (std::array<int, 3>{128, 128, 152}));
    EXPECT_EQ(at(tal, landmark::AP), (std::array<int, 3>{128, 128, 40}));
    EXPECT_EQ(at(tal, landmark::LP), (std::array<int, 3>{200, 128, 128}));
    EXPECT_EQ(at(tal, landmark::RP), (std::array<int, 3>{56, 128, 128}));
}

TEST(TalReader, EdgeCases) {
    TempDir dir;
    struct Case { const char* text; int version; std::array<int, 3> ac; bool cube; };
    const Case cases[] = {
        {"AC: 1 2 3\nTALVMRFramingCube: 256\n", -1, {1, 2, 3}, true},
        {"FileVersion: 0\n", 0, {0, 0, 0}, false},
        {"AC: 128.5 128 128\nTALVMRFramingCube: 256\n", -1, {128, 0, 0}, false},
        {"ac: 1 2 3\nAC 4 5 6\nTALVMRFramingCube: 256\n", -1, {0, 0, 0}, true},
        {"AC: 1 2 3\nAC: 7 8 9\n", -1, {7, 8, 9}, false},
        {"AC: 1 2 3\nAC: 7 8\n", -1, {7, 8, 3}, false},
    };
    for (const Case& c : cases) {
        const TalRecord tal = readTalFile(dir.write("e.tal", c.text));
        EXPECT_EQ(tal.FileVersion.value, c.version) << c.text;
        EXPECT_EQ(at(tal, landmark::AC), c.ac) << c.text;
        EXPECT_EQ(tal.TALVMRFramingCube.present, c.cube) << c.text;
    }
}

}  // namespace
}  // namespace zandrel
