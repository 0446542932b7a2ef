// The seeking sampler of the time-course data: which volumes, the same samples as the full
// loader, and refusals that never read past the file or wait on a pipe.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "formats/fmr_header.h"
#include "formats/time_course_sampler.h"
#include "temp_dir.h"
#include "expect_throw.h"

namespace zandrel {
namespace {

using test::messageThrownBy;
using test::TempDir;
using test::throwsWithMessage;

// A header and data file of `volumes` x `slices` x 3 rows x 4 columns whose sample k (file
// order) is k * 3 - 700, as int16 or as float.
std::string writeRun(const TempDir& dir, int volumes, int slices, bool floatData, std::size_t dropBytes = 0) {
    const int samples = volumes * slices * 3 * 4;
    std::string bytes;
    for (int k = 0; k < samples; ++k) {
        const int value = k * 3 - 700;
        if (floatData) {
            const float f = static_cast<float>(value) + 0.25f;
            std::uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            for (int b = 0; b < 4; ++b) bytes += static_cast<char>((bits >> (8 * b)) & 0xFF);
        } else {
            bytes += static_cast<char>(value & 0xFF);
            bytes += static_cast<char>((value >> 8) & 0xFF);
        }
    }
    bytes.resize(bytes.size() - dropBytes);
    dir.write("run.stc", bytes);
    return dir.write("run.fmr", "NrOfVolumes: " + std::to_string(volumes) + "\nNrOfSlices: " + std::to_string(slices) +
                                    "\nResolutionX: 4\nResolutionY: 3\nPrefix: \"run\"\n" +
                                    (floatData ? "DataType: 2\n" : "DataType: 1\n"));
}

TEST(SpreadVolumes, FirstAndLastIncludedEvenSteps) {
    struct Case {
        std::int32_t total, wanted;
        std::vector<std::int32_t> expected;
    };
    const Case cases[] = {
        {150, 5, {0, 37, 74, 111, 149}}, {5, 5, {0, 1, 2, 3, 4}}, {3, 5, {0, 1, 2}}, {1, 5, {0}},
        {10, 1, {0}},                    {0, 5, {}},              {7, 0, {}},        {600, 2, {0, 599}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(spreadVolumes(c.total, c.wanted), c.expected) << c.total << " volumes, " << c.wanted << " wanted";
}

TEST(TimeCourseMean, EqualsMeanOfTheFullyLoadedVolumes) {
    for (const bool floatData : {false, true}) {
        TempDir dir;
        FmrHeader header = readFmrHeader(writeRun(dir, 9, 2, floatData), true);
        const TimeCourseMean mean = readTimeCourseMean(header, 3);
        ASSERT_EQ(mean.volumes, (std::vector<std::int32_t>{0, 4, 8})) << "float " << floatData;
        ASSERT_EQ(mean.mean.cellCount(), header.volumes[0].cellCount());
        for (std::size_t c = 0; c < mean.mean.cellCount(); ++c) {
            float sum = 0.0f;
            for (const std::int32_t v : mean.volumes) sum += header.volumes[static_cast<std::size_t>(v)].data()[c];
            EXPECT_EQ(mean.mean.data()[c], sum / 3.0f) << "cell " << c << ", float " << floatData;
        }
    }
}

TEST(TimeCourseMean, RefusesWhatCannotBeSampled) {
    struct Case {
        const char* name;
        std::size_t dropBytes;
        std::string fmrExtra;
        const char* expected;
    };
    const Case cases[] = {
        {"file one byte short", 1, "", "cannot be sampled: it holds fewer bytes"},
        {"no slices", 0, "NrOfSlices: 0\n", "cannot be sampled: the header gives no positive"},
        {"grid too large", 0, "ResolutionX: 100000\nResolutionY: 100000\n", "cannot be sampled: the functional grid holds more"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string fmr = writeRun(dir, 4, 2, false, c.dropBytes);
        if (!c.fmrExtra.empty()) dir.write("run.fmr", test::readFile(fmr) + c.fmrExtra);
        const FmrHeader header = readFmrHeader(fmr, false);
        const std::string error = messageThrownBy<std::runtime_error>([&] { readTimeCourseMean(header, 5); });
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.name << ": " << error;
    }
}

TEST(TimeCourseMean, MissingFileAndPipe) {
    TempDir dir;
    const FmrHeader header = readFmrHeader(writeRun(dir, 2, 1, false), false);
    std::filesystem::remove(dir.file("run.stc"));
    EXPECT_TRUE(throwsWithMessage<std::runtime_error>([&] { readTimeCourseMean(header, 5); },
                                                      "Failed opening STC for reading: " + dir.file("run.stc")));
    // A named pipe with no writer would block an open for reading: it must be refused first.
    ASSERT_EQ(mkfifo(dir.file("run.stc").c_str(), 0600), 0);
    EXPECT_THROW(readTimeCourseMean(header, 5), std::runtime_error);
}

}  // namespace
}  // namespace zandrel
