// One set converted in memory: the same VOIs, bytes and refusals as the batch run, and no
// file written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "entry_recorder.h"
#include "expect_throw.h"
#include "study_fixture.h"
#include "temp_dir.h"
#include "zandrel/batch.h"
#include "zandrel/chain.h"
#include "zandrel/convert.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;
using test::EntryRecorder;
using test::readFile;
using test::TempDir;

FileSet fileSetOf(const studygen::SubjectFiles& files) {
    return FileSet{files.roi, files.fmr, files.ia, files.fa, files.acpc, files.tal};
}

std::string textOf(const VoiFile& file) {
    std::ostringstream text;
    file.write(text, true);
    return text.str();
}

// Every file under `root`, so a test can tell that nothing was written.
std::set<std::string> filesUnder(const fs::path& root) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) files.insert(entry.path().string());
    return files;
}

class ConvertInMemory : public ::testing::Test {
protected:
    void SetUp() override { study = studygen::writeStudy(dir.file("study"), studygen::testStudyPlan(3, 11)); }
    const studygen::SubjectFiles& subject(int index) const { return study.subjects.at(index); }

    // What the batch run logs for the subject's set alone, and the .voi it writes (empty when none).
    std::vector<std::string> batchEntries(int index, const ConvertOptions& options = {}) {
        EntryRecorder log;
        runBatch(test::writeList(dir.file("one.txt"), test::setLines(subject(index))), log, options);
        return log.entries;
    }

    TempDir dir;
    studygen::GeneratedStudy study;
};

TEST_F(ConvertInMemory, GivesTheBytesTheBatchWritesWithoutWritingAFile) {
    for (int index = 0; index < 3; ++index) {
        SCOPED_TRACE(subject(index).roi);
        const FileSet set = fileSetOf(subject(index));
        const std::set<std::string> before = filesUnder(study.root);
        const ConvertedSet converted = convertInMemory(set);
        EXPECT_EQ(filesUnder(study.root), before);
        EXPECT_EQ(converted.voiFile.fileName, outputPathFor(set));
        EXPECT_EQ(converted.build.skippedVoxels.size(), converted.voiFile.vois.size());

        ASSERT_EQ(batchEntries(index), std::vector<std::string>{"Converted " + set.roiPath});
        EXPECT_EQ(textOf(converted.voiFile), readFile(outputPathFor(set)));
    }
}

TEST_F(ConvertInMemory, SavesWhatTheBatchSavesWithCrLfToo) {
    ConvertOptions options;
    options.crlf = true;
    ConvertedSet converted = convertInMemory(fileSetOf(subject(1)), options);
    ConvertOptions batch;
    batch.crlf = true;
    ASSERT_EQ(batchEntries(1, batch).size(), 1u);
    const std::string written = readFile(test::voiPathOf(subject(1)));
    ASSERT_NE(written.find("\r\n"), std::string::npos);

    fs::remove(converted.voiFile.fileName);
    converted.voiFile.save();
    EXPECT_EQ(readFile(converted.voiFile.fileName), written);
}

TEST_F(ConvertInMemory, FromRecordsEqualsFromTheFileSet) {
    for (int index = 0; index < 3; ++index) {
        SCOPED_TRACE(subject(index).roi);
        const FileSet set = fileSetOf(subject(index));
        SetRecords records = readSetRecords(set, false);
        EXPECT_TRUE(records.fmr.volumes.empty());  // the time course is checked, not loaded
        const Matrix4 chainMatrix = computeSetChain(records).gridToFunctional();

        const ConvertedSet fromSet = convertInMemory(set);
        const ConvertedSet fromRecords = convertInMemory(std::move(records));
        EXPECT_TRUE(fromRecords.voiFile.fileName.empty());
        EXPECT_EQ(textOf(fromRecords.voiFile), textOf(fromSet.voiFile));
        EXPECT_EQ(fromRecords.build.skippedVoxels, fromSet.build.skippedVoxels);
        EXPECT_EQ(fromRecords.chain.gridToFunctional(), chainMatrix);
    }
}

// Each refusal in memory is the batch's: the failure's message (what follows "!!!! Could
// not convert <roi>: "), or the report of files that cannot be opened, line by line.
struct Refusal {
    const char* name;
    int subject;
    std::function<void(const studygen::SubjectFiles&)> spoil;
};

// Keeps `path` up to and including the first `keep` characters after `marker`.
void cutAfter(const std::string& path, const std::string& marker, std::size_t keep) {
    std::string text = readFile(path);
    const std::size_t at = text.find(marker);
    if (at == std::string::npos) throw std::runtime_error("'" + marker + "' not in " + path);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text.substr(0, at + marker.size() + keep);
}

TEST_F(ConvertInMemory, RefusesASetAsTheBatchDoes) {
    const std::vector<Refusal> refusals = {
        {"missing header", 1, [](const auto& files) { fs::remove(files.fmr); }},
        {"header is a folder", 2, [](const auto& files) { fs::remove(files.fmr); fs::create_directory(files.fmr); }},
        {"missing time course", 1, [](const auto& files) { fs::remove(files.stc); }},
        {"time course cut short", 2, [](const auto& files) { fs::resize_file(files.stc, 100); }},
        {"IA matrix cut short", 1, [](const auto& files) { cutAfter(files.ia, "Matrix", 40); }},
        {"FA matrix cut short", 2, [](const auto& files) { cutAfter(files.fa, "Matrix", 80); }},
        {"landmark missing", 0, [](const auto& files) { test::editFile(files.tal, "LP:", "XX:"); }},
        {"non-finite chain", 1,
         [](const auto& files) { test::editFile(files.fmr, "InplaneResolutionX:", "InplaneResolutionX: 0\nIgnored:"); }},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.name);
        TempDir fresh;
        const studygen::GeneratedStudy spoiled = studygen::writeStudy(fresh.file("study"), studygen::testStudyPlan(3, 11));
        const studygen::SubjectFiles& files = spoiled.subjects.at(refusal.subject);
        refusal.spoil(files);
        const FileSet set = fileSetOf(files);

        const std::string message = test::messageThrownBy<std::runtime_error>([&] { convertInMemory(set); });
        ASSERT_NE(message, "(no error)");

        EntryRecorder log;
        const BatchSummary summary = runBatch(test::writeList(fresh.file("one.txt"), test::setLines(files)), log);
        ASSERT_FALSE(log.entries.empty());
        std::string expected;
        if (summary.failed == 1) {
            const std::string prefix = "!!!! Could not convert " + files.roi + ": ";
            ASSERT_EQ(log.entries.size(), 1u);
            ASSERT_EQ(log.entries[0].rfind(prefix, 0), 0u) << log.entries[0];
            expected = log.entries[0].substr(prefix.size());
        } else {
            ASSERT_EQ(summary.reported, 1);
            for (const std::string& entry : log.entries) expected += (expected.empty() ? "" : "\n") + entry;
        }
        EXPECT_EQ(message, expected);
        EXPECT_FALSE(fs::exists(test::voiPathOf(files)));
    }
}

}  // namespace
}  // namespace zandrel
