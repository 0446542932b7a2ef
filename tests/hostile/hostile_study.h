#pragma once
// A small generated study, converted once per test program (the baseline), that every
// hostile case copies into a fresh folder, damages in one place and converts again
// through the real command line.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "program_run.h"
#include "temp_dir.h"

namespace zandrel::test {

// Everything in a folder: regular files with their content, and the folders.
struct FolderSnapshot {
    std::map<std::string, std::string> files;  // relative path -> content
    std::set<std::string> folders;
};
FolderSnapshot snapshotFolder(const std::string& root);

// What a case must produce.
struct Expected {
    int exitStatus = 1;
    // Regular expressions for the log entries about the damaged set, in order; the entries
    // of every other set must be exactly those of the baseline.
    std::vector<std::string> entries;
    // Files (relative to the study) that may change; every other file stays as it was.
    std::vector<std::string> mayChange;
};

// A regular expression matching `text` literally.
std::string literal(const std::string& text);

class HostileStudyTest : public ::testing::Test {
public:
    static void SetUpTestSuite();

protected:
    void SetUp() override;

    // Study-relative paths: "subject2/s2.roi".
    std::string path(const std::string& relative) const { return root_ + "/" + relative; }
    void write(const std::string& relative, const std::string& content) const;
    std::string read(const std::string& relative) const;
    // Replaces the value of the first entry `keyWord` (e.g. "NrOfVoxels:") in the file,
    // keeping the key column and the line end.
    void setEntry(const std::string& relative, const std::string& keyWord, const std::string& value) const;

    // `zandrel convert study.txt --transcript ...` in the study folder (or another list).
    ProgramRun convert(const std::string& list = "study.txt");
    // The entries of the last transcript.
    std::vector<std::string> transcript() const;

    // Runs the conversion and checks the outcome against `expected` and the baseline for
    // the damaged subject `subject` (1-based): the process ends normally within the time
    // and memory bounds, the entries are as expected, and no other file changed.
    void convertAndCheck(int subject, const Expected& expected, const std::string& list = "study.txt");

    // Output file of a subject, relative: "subject2/s2_ACPC_.voi".
    static std::string outputOf(int subject);

    const std::string& root() const { return root_; }

private:
    std::unique_ptr<TempDir> dir_;
    std::string root_;
};

// Baseline entries of the pristine study, in order.
const std::vector<std::string>& baselineEntries();

}  // namespace zandrel::test
