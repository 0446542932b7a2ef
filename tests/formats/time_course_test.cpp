// Time-course data: layout, sample formats and the checks of untrusted sizes.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

#include "formats/fmr_header.h"
#include "temp_dir.h"
#include "expect_throw.h"

namespace zandrel {
namespace {

using test::messageThrownBy;
using test::TempDir;

std::string header(int volumes, int slices, int columns, int rows, const char* extra = "") {
    return "NrOfVolumes: " + std::to_string(volumes) + "\nNrOfSlices: " + std::to_string(slices) +
           "\nResolutionX: " + std::to_string(columns) + "\nResolutionY: " + std::to_string(rows) +
           "\nPrefix: \"run 1\"\n" + extra;
}

std::string int16Samples(int count) {
    std::string bytes;
    for (int k = 0; k < count; ++k) {
        bytes += static_cast<char>(k & 0xFF);
        bytes += static_cast<char>((k >> 8) & 0xFF);
    }
    return bytes;
}

std::string float32(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((bits >> (8 * i)) & 0xFF);
    return bytes;
}

std::string errorOf(const std::string& path) {
    return messageThrownBy<std::runtime_error>([&] { readFmrHeader(path, true); });
}

TEST(TimeCourse, SampleOrderIsSliceVolumeRowColumn) {
    TempDir dir;
    dir.write("run 1.stc", int16Samples(24));
    const FmrHeader h = readFmrHeader(dir.write("s.fmr", header(3, 2, 2, 2)), true);
    ASSERT_EQ(h.volumes.size(), 3u);
    for (int k = 0; k < 24; ++k) {
        const VolumeGrid& grid = h.volumes[static_cast<std::size_t>((k / 4) % 3)];
        EXPECT_EQ(grid.get(k % 2, (k / 2) % 2, k / 12), static_cast<float>(k)) << "sample " << k;
    }
    EXPECT_EQ(h.volumes[1].dimX(), 2);
    EXPECT_EQ(h.volumes[1].dimZ(), 2);
}

TEST(TimeCourse, SampleFormats) {
    TempDir dir;
    dir.write("run 1.stc", std::string("\xFF\xFF\x00\x80\xFF\x7F\xFB\xFF", 8));
    for (const char* dataType : {"", "DataType: 1\n", "DataType: 3\n"}) {
        const FmrHeader h = readFmrHeader(dir.write("i.fmr", header(1, 1, 4, 1, dataType)), true);
        ASSERT_EQ(h.volumes.size(), 1u) << dataType;
        const float* v = h.volumes[0].data();
        EXPECT_EQ(v[0], -1.0f) << dataType;
        EXPECT_EQ(v[1], -32768.0f) << dataType;
        EXPECT_EQ(v[2], 32767.0f) << dataType;
        EXPECT_EQ(v[3], -5.0f) << dataType;
    }
    dir.write("run 1.stc", float32(0.1f) + float32(-2.5e-7f) + float32(3.0e38f));
    const FmrHeader f = readFmrHeader(dir.write("f.fmr", header(1, 1, 3, 1, "DataType: 2\n")), true);
    ASSERT_EQ(f.volumes.size(), 1u);
    EXPECT_EQ(f.volumes[0].get(0, 0, 0), 0.1f);
    EXPECT_EQ(f.volumes[0].get(1, 0, 0), -2.5e-7f);
    EXPECT_EQ(f.volumes[0].get(2, 0, 0), 3.0e38f);
}

TEST(TimeCourse, LargePlanesCrossBlockBoundaries) {
    TempDir dir;
    const int columns = 300, rows = 250;  // 75,000 samples per plane: more than one block
    dir.write("run 1.stc", int16Samples(2 * columns * rows));
    const FmrHeader h = readFmrHeader(dir.write("l.fmr", header(2, 1, columns, rows)), true);
    ASSERT_EQ(h.volumes.size(), 2u);
    EXPECT_EQ(h.volumes[1].get(0, 0, 0), static_cast<float>(static_cast<std::int16_t>(75000 & 0xFFFF)));
    EXPECT_EQ(h.volumes[0].get(columns - 1, rows - 1, 0), static_cast<float>(74999 - 65536));
}

TEST(TimeCourse, NoVolumesGiveEmptyListAndLongerFilesAreAccepted) {
    TempDir dir;
    dir.write("run 1.stc", int16Samples(10));
    EXPECT_TRUE(readFmrHeader(dir.write("zero.fmr", header(0, 0, 0, 0)), true).volumes.empty());
    EXPECT_TRUE(readFmrHeader(dir.write("none.fmr", "Prefix: \"run 1\"\n"), true).volumes.empty());
    const FmrHeader longer = readFmrHeader(dir.write("long.fmr", header(1, 1, 2, 2)), true);
    ASSERT_EQ(longer.volumes.size(), 1u);
    EXPECT_EQ(longer.volumes[0].get(1, 1, 0), 3.0f);
}

TEST(TimeCourse, UntrustedSizesAreRefusedBeforeAllocating) {
    TempDir dir;
    const std::string stc = dir.write("run 1.stc", int16Samples(8));
    struct Case { std::string header; std::string message; };
    const Case cases[] = {
        {header(1, 1, 2, 8), "Time-course data file " + stc +
             " holds 16 bytes but the header promises 32 bytes (1 volumes x 1 slices x 8 rows x 2 columns of 2 bytes)"},
        {header(1, 1, 2, 3, "DataType: 2\n"), "Time-course data file " + stc +
             " holds 16 bytes but the header promises 24 bytes (1 volumes x 1 slices x 3 rows x 2 columns of 4 bytes)"},
        {header(2147483647, 2147483647, 2147483647, 2147483647), "Time-course data file " + stc +
             " holds 16 bytes but the header promises more than 18446744073709551615 bytes"},
        {header(1, 2, -4, 2), "Time-course data file " + stc + " cannot be read: ResolutionX is -4 in the header"},
        {header(0, -1, 2, 2), "Time-course data file " + stc + " cannot be read: NrOfSlices is -1 in the header"},
        {header(3, 2, 0, 2), "Time-course data file " + stc +
             " cannot be read: ResolutionX is 0 in the header but NrOfVolumes is 3"},
    };
    for (const Case& c : cases) {
        const std::string message = errorOf(dir.write("h.fmr", c.header));
        EXPECT_EQ(message.substr(0, c.message.size()), c.message) << c.header;
    }
}

TEST(TimeCourse, ManyTinyVolumesAreRefused) {
    TempDir dir;
    const std::string stc = dir.write("run 1.stc", std::string(2000000, '\0'));
    EXPECT_EQ(errorOf(dir.write("v.fmr", header(1000000, 1, 1, 1))),
              "Time-course data file " + stc + " cannot be read: NrOfVolumes is 1000000 for volumes of only 1 samples");
    EXPECT_EQ(readFmrHeader(dir.write("w.fmr", header(1000, 1, 10, 100)), true).volumes.size(), 1000u);
}

TEST(TimeCourse, MissingDataFileNamesIt) {
    TempDir dir;
    const std::string fmr = dir.write("m.fmr", header(1, 1, 2, 2));
    EXPECT_EQ(errorOf(fmr), "Failed opening STC for reading: " + directoryOf(fmr) + "run 1.stc");
    EXPECT_TRUE(readFmrHeader(fmr, false).volumes.empty());
}

}  // namespace
}  // namespace zandrel
