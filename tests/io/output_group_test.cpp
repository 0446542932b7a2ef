// The files of one set replace their targets together or not at all, and every refusal to
// create a file says the system's reason beside the described text.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "io/file_error.h"
#include "io/output_folder.h"
#include "io/output_group.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void stage(OutputGroup& group, const std::string& target, const std::string& text) {
    group.add(target, "txt", ".tmp", true).write(text);
}

TEST(OutputGroup, ReplacesEveryTargetAndLeavesNoTemporary) {
    TempDir dir;
    dir.write("a.txt", "old a");
    OutputGroup group;
    stage(group, dir.file("a.txt"), "new a");
    stage(group, dir.file("b.txt"), "new b");
    group.commitAll();
    EXPECT_EQ(test::readFile(dir.file("a.txt")), "new a");
    EXPECT_EQ(test::readFile(dir.file("b.txt")), "new b");
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"a.txt", "b.txt"}));
    EXPECT_EQ(group.targets(), (std::vector<std::string>{dir.file("a.txt"), dir.file("b.txt")}));
}

TEST(OutputGroup, AFileRefusedWhileStagingReplacesNothing) {
    TempDir dir;
    dir.write("a.txt", "old a");
    fs::create_directory(dir.file("b.txt"));  // a folder where the second file goes
    try {
        OutputGroup group;
        stage(group, dir.file("a.txt"), "new a");
        stage(group, dir.file("b.txt"), "new b");
        group.commitAll();
        FAIL() << "a folder was replaced by a file";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot Create file: " + dir.file("b.txt"));
        EXPECT_EQ(error.reason(), "Is a directory");
    }
    EXPECT_EQ(test::readFile(dir.file("a.txt")), "old a");
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST(OutputGroup, ARenameFailingHalfWayGivesTheEarlierTargetsBack) {
    TempDir dir;
    dir.write("a.txt", "old a");
    {
        OutputGroup group;
        stage(group, dir.file("a.txt"), "new a");
        stage(group, dir.file("new.txt"), "new file");
        stage(group, dir.file("c.txt"), "new c");
        // After staging, the last target becomes a folder that holds a file: it cannot be replaced.
        fs::create_directory(dir.file("c.txt"));
        dir.write("c.txt/inside", "kept");
        EXPECT_THROW(group.commitAll(), FileError);
    }
    EXPECT_EQ(test::readFile(dir.file("a.txt")), "old a");
    EXPECT_FALSE(fs::exists(dir.file("new.txt"))) << "a target that did not exist is removed again";
    EXPECT_EQ(test::readFile(dir.file("c.txt/inside")), "kept");
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"a.txt", "c.txt"})) << "no temporary or backup left";
}

TEST(CannotCreateFile, NamesTheFileAndTheSystemsReason) {
    TempDir dir;
    dir.write("plain", "a file, not a folder");
    const std::string target = dir.file("plain/s1_TAL_.voi");
    try {
        OutputFile file(target, "voi", ".tmp", false);
        FAIL() << "a file was created below a regular file";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot Create file: " + target);
        EXPECT_EQ(error.reason(), "Not a directory");
        EXPECT_EQ(withReason(error.what(), error.reason()), "Cannot Create file: " + target + ": Not a directory");
    }
    EXPECT_EQ(withReason("text", ""), "text");
}

TEST(CreationRefusal, SaysWhyAFileCouldNotBeCreatedWhereItGoes) {
    TempDir dir;
    dir.write("plain", "x");
    fs::create_directory(dir.file("folder"));
    fs::create_directory(dir.file("taken.voi"));
    const struct {
        const char* label;
        std::string target;
        bool mayCreate;
        std::string reason;
    } cases[] = {
        {"an existing folder", dir.file("folder/s1.voi"), false, ""},
        {"a missing folder", dir.file("missing/s1.voi"), false, "No such file or directory"},
        {"a missing folder that may be made", dir.file("missing/deeper/s1.voi"), true, ""},
        {"below a regular file", dir.file("plain/s1.voi"), false, "Not a directory"},
        {"below a regular file, folders may be made", dir.file("plain/sub/s1.voi"), true, "Not a directory"},
        {"the target is a folder", dir.file("taken.voi"), false, "Is a directory"},
    };
    for (const auto& c : cases) EXPECT_EQ(creationRefusal(c.target, c.mayCreate), c.reason) << c.label;
}

TEST(CreationRefusal, AFolderWithoutWritePermission) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into every folder";
    TempDir dir;
    fs::create_directory(dir.file("locked"));
    fs::permissions(dir.file("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(creationRefusal(dir.file("locked/s1.voi"), false), "Permission denied");
    EXPECT_EQ(creationRefusal(dir.file("locked/sub/s1.voi"), true), "Permission denied");
    fs::permissions(dir.file("locked"), fs::perms::owner_all);
}

TEST(CreateFoldersFor, MakesTheMissingFoldersOrSaysWhyNot) {
    TempDir dir;
    createFoldersFor(dir.file("a/b/s1.voi"));
    EXPECT_TRUE(fs::is_directory(dir.file("a/b")));
    dir.write("plain", "x");
    try {
        createFoldersFor(dir.file("plain/b/s1.voi"));
        FAIL() << "a folder was made below a regular file";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot Create file: " + dir.file("plain/b/s1.voi"));
        EXPECT_EQ(error.reason(), "Not a directory");
    }
}

}  // namespace
}  // namespace zandrel
