#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#ifdef __linux__
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "temp_dir.h"
#include "voi/voi_file.h"
#include "expect_throw.h"

namespace zandrel {
namespace {

using test::messageThrownBy;
using test::readFile;
using test::TempDir;

VoiFile sampleFile(const std::string& name) {
    VoiFile file;
    file.fileName = name;
    file.ReferenceSpace.value = "TAL";
    Voi voi;
    voi.NameOfVOI = KeyedText{"NameOfVOI", "VOI 1", 12, false, true};
    voi.red = 255;
    voi.green = 40;
    voi.blue = 50;
    voi.voxels = {{-31, -12, 40}, {-31, -13, 40}};
    voi.NrOfVoxels = KeyedInt{"NrOfVoxels", 2, 12, true};
    file.vois.push_back(voi);
    file.NrOfVOIs.value = 1;
    return file;
}

std::string expectedText(const VoiFile& file) {
    std::ostringstream out;
    file.write(out, true);
    return out.str();
}

// Names in the folder, so that a leftover temporary file shows up.
std::vector<std::string> entriesOf(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string errorOf(const VoiFile& file) {
    return messageThrownBy<std::runtime_error>([&] { file.save(); });
}

TEST(VoiSave, WritesTheTextWithCoordinates) {
    TempDir dir;
    const VoiFile file = sampleFile(dir.file("run1_TAL_.voi"));
    file.save();
    // On this platform a text file's line end is "\n".
    EXPECT_EQ(readFile(file.fileName), expectedText(file));
    EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"run1_TAL_.voi"});
}

TEST(VoiSave, ReplacesAnExistingFile) {
    TempDir dir;
    const std::string name = dir.write("run1_ACPC_.voi", std::string(100000, 'o'));
    const VoiFile file = sampleFile(name);
    file.save();
    EXPECT_EQ(readFile(name), expectedText(file));
    EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"run1_ACPC_.voi"});
}

TEST(VoiSave, CrLfOptionWritesCrLfOnDisk) {
    TempDir dir;
    VoiFile file = sampleFile(dir.file("a.voi"));
    file.crlf = true;
    file.save();
    const std::string text = readFile(file.fileName);
    EXPECT_EQ(text, expectedText(file));
    EXPECT_EQ(text.substr(0, 4), "\r\nFi");
    EXPECT_EQ(text.substr(text.size() - 3), "0\r\n");
}

TEST(VoiSave, FailuresToCreateNameTheFileAndLeaveNothingBehind) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "taken");
    const std::string existing = dir.write("keep.txt", "previous");
    struct Case {
        const char* what;
        std::string name;
    };
    const Case cases[] = {
        {"missing folder", dir.file("missing/run1_TAL_.voi")},
        {"path below a file", existing + "/run1.voi"},
        {"path taken by a folder", dir.file("taken")},
        {"empty name", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(errorOf(sampleFile(c.name)), "Cannot Create file: " + c.name) << c.what;
        EXPECT_EQ(entriesOf(dir.path()), (std::vector<std::string>{"keep.txt", "taken"})) << c.what;
        EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "taken")) << c.what;
    }
    EXPECT_EQ(readFile(existing), "previous");
}

#ifdef __linux__
TEST(VoiSave, ReadOnlyTargetIsRefusedAndKept) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    TempDir dir;
    const std::string name = dir.write("run1_TAL_.voi", "previous");
    std::filesystem::permissions(name, std::filesystem::perms::owner_read);
    EXPECT_EQ(errorOf(sampleFile(name)), "Cannot Create file: " + name);
    EXPECT_EQ(readFile(name), "previous");
    EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"run1_TAL_.voi"});
}

TEST(VoiSave, ReadOnlyFolderIsRefused) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    TempDir dir;
    const std::string name = dir.write("run1_TAL_.voi", "previous");
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_EQ(errorOf(sampleFile(name)), "Cannot Create file: " + name);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(readFile(name), "previous");
    EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"run1_TAL_.voi"});
}

// A full disk, emulated by a file-size limit: the write fails after the file was created.
TEST(VoiSave, WriteErrorIsReportedAndKeepsThePreviousFile) {
    TempDir dir;
    const std::string name = dir.write("run1_TAL_.voi", "previous");
    VoiFile file = sampleFile(name);
    for (std::int32_t n = 0; n < 200000; ++n) file.vois[0].voxels.push_back({n, n, n});

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string error = errorOf(file);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(error, "Cannot write file: " + name);
    EXPECT_EQ(readFile(name), "previous");
    EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"run1_TAL_.voi"});
}
#endif

}  // namespace
}  // namespace zandrel
