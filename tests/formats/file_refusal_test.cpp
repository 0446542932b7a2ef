// What stands at a path before a reader opens it: folders, named pipes and devices are
// refused unopened (a named pipe would block the reader), and the time-course check throws
// what the loader throws.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "formats/fmr_header.h"
#include "formats/roi_file.h"
#include "formats/tal_record.h"
#include "formats/trf_record.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

using test::TempDir;

// Runs `call` and returns its error text ("no error" when it returns). Should it block on
// a named pipe at `path`, a watchdog opens the pipe's other end after two seconds, so that
// the test fails on `seconds` instead of hanging.
std::string errorOf(const std::function<void()>& call, const std::string& path = "", double* seconds = nullptr) {
    std::atomic<bool> done{false};
    std::thread watchdog([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!done) {
#ifndef _WIN32
            if (std::chrono::steady_clock::now() > deadline && !path.empty()) {
                const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK);
                if (fd >= 0) ::close(fd);
            }
#endif
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    const auto start = std::chrono::steady_clock::now();
    std::string error = "no error";
    try {
        call();
    } catch (const std::runtime_error& e) {
        error = e.what();
    }
    if (seconds) *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    done = true;
    watchdog.join();
    return error;
}

struct Special {
    std::string kind;  // as the refusal names it
    std::string path;
};

// A folder, and where the system has them a named pipe and a device, at `path`.
std::vector<Special> specialFiles(const std::string& path) {
    std::vector<Special> made;
    std::filesystem::create_directory(path + "-folder");
    made.push_back({"a folder", path + "-folder"});
#ifndef _WIN32
    if (::mkfifo((path + "-pipe").c_str(), 0600) == 0) made.push_back({"a named pipe", path + "-pipe"});
    if (std::filesystem::exists("/dev/null")) made.push_back({"a device", "/dev/null"});
#endif
    return made;
}

const char* const kHeader = "NrOfVolumes: 2\nNrOfSlices: 1\nResolutionX: 2\nResolutionY: 2\nPrefix: \"run\"\n";

TEST(FileRefusal, EveryReaderRefusesWhatIsNoRegularFileAtOnce) {
    const std::pair<const char*, std::function<void(const std::string&)>> readers[] = {
        {"fmr", [](const std::string& p) { readFmrHeader(p, false); }},
        {"roi", [](const std::string& p) { readRoiFile(p); }},
        {"trf", [](const std::string& p) { readTrfFile(p); }},
        {"tal", [](const std::string& p) { readTalFile(p); }},
    };
    TempDir dir;
    const std::vector<Special> specials = specialFiles(dir.file("x"));
    for (const auto& [type, read] : readers) {
        for (const Special& special : specials) {
            double seconds = 0;
            EXPECT_EQ(errorOf([&] { read(special.path); }, special.path, &seconds),
                      "Failed opening for reading: " + special.path + " (" + special.kind + ", not a regular file)")
                << type << " on " << special.kind;
            EXPECT_LT(seconds, 1.0) << type << " on " << special.kind;
        }
        const std::string missing = dir.file("missing");
        EXPECT_EQ(errorOf([&] { read(missing); }), "Failed opening for reading: " + missing) << type;
    }
}

TEST(TimeCourseCheck, ThrowsWhatTheLoaderThrowsWithoutBlocking) {
    TempDir dir;
    const std::string fmr = dir.write("s.fmr", kHeader);
    const std::string stc = dir.file("run.stc");
    const FmrHeader header = readFmrHeader(fmr, false);
    // Both the check and the loader, each within a second.
    const auto expectError = [&](const std::string& expected, const std::string& label) {
        double seconds = 0;
        EXPECT_EQ(errorOf([&] { checkTimeCourseFile(header); }, stc, &seconds), expected) << label;
        EXPECT_LT(seconds, 1.0) << label;
        EXPECT_EQ(errorOf([&] { readFmrHeader(fmr, true); }, stc, &seconds), expected) << label << ", loading";
        EXPECT_LT(seconds, 1.0) << label << ", loading";
    };

    expectError("Failed opening STC for reading: " + stc, "missing");
    for (const Special& special : specialFiles(dir.file("s"))) {
        if (special.path.rfind(dir.file("s"), 0) != 0) continue;  // only what can stand in its place
        std::filesystem::rename(special.path, stc);
        expectError("Failed opening STC for reading: " + stc + " (" + special.kind + ", not a regular file)",
                    special.kind);
        std::filesystem::remove_all(stc);
    }
    dir.write("run.stc", std::string(15, '\0'));
    expectError("Time-course data file " + stc +
                    " holds 15 bytes but the header promises 16 bytes (2 volumes x 1 slices x 2 rows x 2 columns "
                    "of 2 bytes)",
                "short");
    dir.write("run.stc", std::string(16, '\1'));
    expectError("no error", "complete");
    EXPECT_EQ(readFmrHeader(fmr, true).volumes.size(), 2u);
}

}  // namespace
}  // namespace zandrel
