// Files that cannot serve a conversion, end to end through `zandrel convert`: a named pipe
// in place of any file of the first set, a missing time-course file, and transformation or
// landmark files cut short. Each refuses the first set at once while the later sets of the
// list convert as before.
#include <atomic>
#include <chrono>
#include <ostream>
#include <stdexcept>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "hostile_study.h"

namespace zandrel::test {
namespace {

using Clock = std::chrono::steady_clock;

#ifdef ZANDREL_SANITIZE
constexpr double kMaxSeconds = 2.5;
#else
constexpr double kMaxSeconds = 1.0;
#endif

const std::string kRoi1 = "./subject1/s1.roi";

std::string failedEntry(const std::string& messagePattern) {
    return literal("!!!! Could not convert " + kRoi1 + ": ") + messagePattern;
}

// Replaces a file by a named pipe and, from 3 s on, opens it for writing whenever a reader
// waits on it: a conversion that opened the pipe then reads an empty file instead of
// blocking the test for ever, and its time shows the fault.
class PipeWatchdog {
public:
    explicit PipeWatchdog(const std::string& path) : path_(path) {
        ::unlink(path.c_str());
        if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed: " + path);
        thread_ = std::thread([this] { watch(); });
    }
    ~PipeWatchdog() {
        done_ = true;
        thread_.join();
    }
    PipeWatchdog(const PipeWatchdog&) = delete;
    PipeWatchdog& operator=(const PipeWatchdog&) = delete;

private:
    void watch() {
        const Clock::time_point release = Clock::now() + std::chrono::seconds(3);
        while (!done_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (Clock::now() < release) continue;
            // Without a waiting reader a non-blocking open for writing fails at once.
            const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        }
    }

    std::string path_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

struct PipeCase {
    const char* name;
    const char* file;     // relative to the study
    std::string entries;  // pattern of the one entry about the file after the set's first
    bool checked;         // refused by the check of the set's files (else while reading)
};
void PrintTo(const PipeCase& c, std::ostream* out) { *out << c.name; }

class NamedPipeTest : public HostileStudyTest, public ::testing::WithParamInterface<PipeCase> {};

TEST_P(NamedPipeTest, IsRefusedAtOnceAndTheLaterSetsConvert) {
    const PipeCase& c = GetParam();
    PipeWatchdog watchdog(path(c.file));
    Expected expected;
    expected.exitStatus = 1;
    if (c.checked) {
        expected.entries = {literal("!!!! Not enough files could be loaded to convert " + kRoi1), c.entries};
    } else {
        expected.entries = {failedEntry(c.entries)};
    }
    const Clock::time_point start = Clock::now();
    convertAndCheck(1, expected);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    EXPECT_LT(seconds, kMaxSeconds) << c.file << " as a named pipe held the conversion up";
}

INSTANTIATE_TEST_SUITE_P(
    HostileStudy, NamedPipeTest,
    ::testing::Values(
        PipeCase{"TimeCourse", "subject1/s1_run1.stc",
                 literal("Failed opening STC for reading: ./subject1/s1_run1.stc (a named pipe, not a regular file)"),
                 false},
        PipeCase{"Roi", "subject1/s1.roi", literal("ROI could not be loaded: ./subject1/s1.roi"), true},
        PipeCase{"Fmr", "subject1/s1_run1.fmr", literal("FMR could not be loaded: ./subject1/s1_run1.fmr"), true},
        PipeCase{"InitialAlignment", "subject1/s1_IA.trf", literal("IA.trf could not be loaded: ./subject1/s1_IA.trf"),
                 true},
        PipeCase{"FineAlignment", "subject1/s1_FA.trf", literal("FA.trf could not be loaded: ./subject1/s1_FA.trf"),
                 true},
        PipeCase{"Acpc", "subject1/s1_ACPC.trf", literal("ACPC.trf could not be loaded: ./subject1/s1_ACPC.trf"),
                 true},
        PipeCase{"Landmarks", "subject1/s1.tal", literal("TAL could not be loaded: ./subject1/s1.tal"), true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(HostileStudyTest, MissingTimeCourseFileRefusesItsSet) {
    ASSERT_EQ(::unlink(path("subject1/s1_run1.stc").c_str()), 0);
    Expected expected;
    expected.entries = {failedEntry(literal("Failed opening STC for reading: ./subject1/s1_run1.stc"))};
    convertAndCheck(1, expected);
}

// The text up to and including the `words`-th blank-separated word after `key`.
std::string cutAfter(const std::string& text, const std::string& key, int words) {
    const std::size_t at = text.find(key);
    if (at == std::string::npos) throw std::runtime_error("no " + key);
    std::size_t end = at + key.size();
    for (int word = 0; word < words; ++word) {
        end = text.find_first_not_of(" \t\r\n", end);
        end = text.find_first_of(" \t\r\n", end);
        if (end == std::string::npos) throw std::runtime_error("too few words after " + key);
    }
    return text.substr(0, end);
}

struct CutCase {
    const char* name;
    const char* file;     // the file of the first set that is cut short
    const char* source;   // the file whose text is cut (the first set's own or another's)
    const char* key;      // the cut falls the given number of words after this key
    int words;
    std::string refusal;  // the message of the set's entry
};
void PrintTo(const CutCase& c, std::ostream* out) { *out << c.name; }

class CutShortTest : public HostileStudyTest, public ::testing::WithParamInterface<CutCase> {};

TEST_P(CutShortTest, IsRefusedAndTheLaterSetsConvert) {
    const CutCase& c = GetParam();
    write(c.file, cutAfter(read(c.source), c.key, c.words));
    Expected expected;
    expected.entries = {failedEntry(literal(c.refusal))};
    convertAndCheck(1, expected);
}

// "DataFormat: Matrix" and "ExtraVMRTransf: 1" are each followed by the value word and then
// the matrix; the third set's IA file has the extra matrix. Cutting the landmark file two
// numbers after "RP:" leaves RP incomplete and LP absent.
INSTANTIATE_TEST_SUITE_P(
    HostileStudy, CutShortTest,
    ::testing::Values(
        CutCase{"MatrixAfterTenNumbers", "subject1/s1_FA.trf", "subject1/s1_FA.trf", "DataFormat:", 11,
                "The transformation file ./subject1/s1_FA.trf holds only 10 of the 16 numbers of its matrix"},
        CutCase{"ExtraMatrixAfterTenNumbers", "subject1/s1_IA.trf", "subject3/s3_IA.trf", "ExtraVMRTransf:", 11,
                "The transformation file ./subject1/s1_IA.trf holds only 10 of the 16 numbers of its extra VMR "
                "matrix"},
        CutCase{"LandmarksWithoutTheLast", "subject1/s1.tal", "subject1/s1.tal", "RP:", 2,
                "The landmark file ./subject1/s1.tal lacks the landmarks RP:, LP: (each needs three whole "
                "numbers)"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zandrel::test
