// Temporary files left by a run that was ended before it could remove them: which names are
// ours, and that only those of ended processes are removed.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include "io/output_file.h"
#include "io/stale_temporaries.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

const std::string kHex = "0123456789abcdef";

// The id of a process that has ended and been reaped.
pid_t endedProcessId() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
    return names;
}

TEST(TemporaryFileOwner, KnowsOurNamesAndNoOther) {
    const struct {
        std::string name;
        long owner;  // 0: not ours
    } cases[] = {
        {".voi-123-" + kHex + ".tmp", 123},
        {".nii-4194304-" + kHex + ".tmp.nii.gz", 4194304},
        {".png-7-" + kHex + ".tmp", 7},
        {".marker-99-" + kHex + ".tmp", 99},
        {".coverage-5-" + kHex + ".tmp", 5},
        {".html-5-" + kHex + ".tmp", 5},
        {"voi-123-" + kHex + ".tmp", 0},               // not hidden
        {".other-123-" + kHex + ".tmp", 0},            // not our tag
        {".VOI-123-" + kHex + ".tmp", 0},              // tags are lower case
        {".voi-123-" + kHex.substr(1) + ".tmp", 0},    // 15 random digits
        {".voi-123-" + kHex + "0.tmp", 0},             // 17
        {".voi-123-0123456789ABCDEF.tmp", 0},          // upper-case hex
        {".voi-123-" + kHex + ".tmp.bak", 0},          // another ending
        {".voi-123-" + kHex + ".nii.gz", 0},
        {".voi-0-" + kHex + ".tmp", 0},                // no process has id 0
        {".voi-0123-" + kHex + ".tmp", 0},             // not as we write an id
        {".voi--1-" + kHex + ".tmp", 0},
        {".voi-12a-" + kHex + ".tmp", 0},
        {".voi-99999999999-" + kHex + ".tmp", 0},      // beyond any id
        {".voi-123" + kHex + ".tmp", 0},
        {".zandrel-report", 0},
        {".tmp", 0},
    };
    for (const auto& c : cases) {
        const std::optional<long> owner = temporaryFileOwner(c.name);
        if (c.owner == 0) EXPECT_FALSE(owner.has_value()) << c.name;
        else EXPECT_EQ(owner.value_or(-1), c.owner) << c.name;
    }
}

TEST(ProcessMayExist, TellsEndedFromLiveProcesses) {
    EXPECT_TRUE(processMayExist(::getpid()));
    EXPECT_TRUE(processMayExist(1));  // another user's process: it exists all the same
    EXPECT_FALSE(processMayExist(endedProcessId()));
    EXPECT_FALSE(processMayExist(0));
    EXPECT_FALSE(processMayExist(-1));
}

TEST(RemoveStaleTemporaries, RemovesOnlyTheTemporariesOfEndedProcesses) {
    TempDir dir;
    const std::string ended = std::to_string(endedProcessId());
    const pid_t sleeper = ::fork();
    if (sleeper == 0) {
        ::execlp("sleep", "sleep", "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const std::string live = std::to_string(sleeper);
    const std::string stale[] = {".voi-" + ended + "-" + kHex + ".tmp", ".nii-" + ended + "-" + kHex + ".tmp.nii.gz"};
    const std::string kept[] = {
        ".voi-" + live + "-" + kHex + ".tmp",                         // another live process's
        ".png-" + std::to_string(::getpid()) + "-" + kHex + ".tmp",  // this process's own
        ".other-" + ended + "-" + kHex + ".tmp",                      // looks similar, not ours
        ".voi-" + ended + "-short.tmp",
        "s1_ACPC_.voi",
        ".zandrel-report",
    };
    for (const std::string& name : stale) dir.write(name, "partial");
    for (const std::string& name : kept) dir.write(name, "keep");
    fs::create_directory(dir.path() / (".tsv-" + ended + "-" + kHex + ".tmp"));  // a folder is never ours

    EXPECT_EQ(removeStaleTemporaries(dir.path().string()), 2);
    ::kill(sleeper, SIGKILL);
    ::waitpid(sleeper, nullptr, 0);

    std::set<std::string> expected(std::begin(kept), std::end(kept));
    expected.insert(".tsv-" + ended + "-" + kHex + ".tmp");
    EXPECT_EQ(namesIn(dir.path()), expected);
    EXPECT_EQ(removeStaleTemporaries(dir.file("missing")), 0);
}

TEST(RemoveStaleTemporaries, AnOutputFileSweepsItsFolderOncePerRun) {
    TempDir dir;
    const std::string ended = std::to_string(endedProcessId());
    const std::string first = ".voi-" + ended + "-" + kHex + ".tmp";
    const std::string second = ".txt-" + ended + "-" + kHex + ".tmp";
    dir.write(first, "partial");
    writeWholeFile(dir.file("a.voi"), "a", "voi");
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"a.voi"});

    // The folder was swept already: a later write does not list it again.
    dir.write(second, "partial");
    writeWholeFile(dir.file("b.voi"), "b", "voi");
    EXPECT_EQ(namesIn(dir.path()), (std::set<std::string>{"a.voi", "b.voi", second}));
}

}  // namespace
}  // namespace zandrel
