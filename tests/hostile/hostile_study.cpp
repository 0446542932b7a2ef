#include "hostile_study.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <utility>

#include <nlohmann/json.hpp>

#include "generator/study_generator.h"

namespace zandrel::test {

namespace fs = std::filesystem;

namespace {

#ifdef ZANDREL_SANITIZE
constexpr double kMaxCpuSeconds = 30.0;
constexpr long kMaxPeakKilobytes = 3L << 20;  // the sanitizers' shadow memory counts too
#else
constexpr double kMaxCpuSeconds = 3.0;
constexpr long kMaxPeakKilobytes = 512L << 10;
#endif

const char* const kTranscript = "transcript.jsonl";
// 1 GiB of address space and a minute of processor time: a runaway allocation or a hang
// ends the command line, not the test run.
const ProgramLimits kLimits{1ull << 30, 60};

struct Baseline {
    std::unique_ptr<TempDir> dir;
    std::string root;
    std::vector<bool> withTal;
    std::vector<std::string> entries;
};
// Made once per test program and removed at its exit.
std::unique_ptr<Baseline> baseline;

std::vector<std::string> readTranscript(const std::string& file) {
    std::vector<std::string> entries;
    std::ifstream in(file, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) entries.push_back(nlohmann::json::parse(line).get<std::string>());
    return entries;
}

std::string describe(const std::vector<std::string>& entries) {
    std::string text;
    for (const std::string& entry : entries) text += "  [" + entry + "]\n";
    return text;
}

}  // namespace

FolderSnapshot snapshotFolder(const std::string& root) {
    FolderSnapshot snapshot;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).generic_string();
        if (relative == kTranscript) continue;
        if (entry.is_directory()) {
            snapshot.folders.insert(relative);
        } else if (entry.is_regular_file()) {  // a named pipe would block the reading
            snapshot.files[relative] = readFile(entry.path().string());
        }
    }
    return snapshot;
}

std::string literal(const std::string& text) {
    static const std::regex special(R"([.^$|()\[\]{}*+?\\])");
    return std::regex_replace(text, special, R"(\$&)");
}

const std::vector<std::string>& baselineEntries() { return baseline->entries; }

void HostileStudyTest::SetUpTestSuite() {
    if (baseline) return;
    auto made = std::make_unique<Baseline>();
    made->dir = std::make_unique<TempDir>();
    studygen::StudyPlan plan = studygen::testStudyPlan(3, 7);
    plan.prefix = "./";
    const studygen::GeneratedStudy study = studygen::writeStudy(made->dir->file("study"), plan);
    made->root = study.root;
    for (const auto& subject : study.subjects) made->withTal.push_back(!subject.tal.empty());
    const ProgramRun run = runProgram(ZANDREL_EXE, {"convert", "study.txt", "--transcript", kTranscript}, made->root, kLimits);
    if (run.status != 0) throw std::runtime_error("the baseline conversion failed:\n" + run.out + run.err);
    made->entries = readTranscript(made->root + "/" + kTranscript);
    fs::remove(made->root + "/" + kTranscript);
    baseline = std::move(made);
}

void HostileStudyTest::SetUp() {
    ASSERT_TRUE(baseline) << "the baseline study could not be made";
    dir_ = std::make_unique<TempDir>();
    root_ = dir_->file("study");
    fs::copy(baseline->root, root_, fs::copy_options::recursive);
}

std::string HostileStudyTest::outputOf(int subject) {
    const std::string n = std::to_string(subject);
    return "subject" + n + "/s" + n + (baseline->withTal.at(static_cast<std::size_t>(subject - 1)) ? "_TAL_.voi" : "_ACPC_.voi");
}

void HostileStudyTest::write(const std::string& relative, const std::string& content) const {
    std::ofstream out(path(relative), std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + relative);
}

std::string HostileStudyTest::read(const std::string& relative) const { return readFile(path(relative)); }

void HostileStudyTest::setEntry(const std::string& relative, const std::string& keyWord, const std::string& value) const {
    std::string text = read(relative);
    std::size_t at = text.find(keyWord);
    while (at != std::string::npos && at != 0 && text[at - 1] != '\n') at = text.find(keyWord, at + 1);
    if (at == std::string::npos) throw std::runtime_error(relative + " has no entry " + keyWord);
    std::size_t valueStart = at + keyWord.size();
    while (valueStart < text.size() && (text[valueStart] == ' ' || text[valueStart] == '\t')) ++valueStart;
    const std::size_t lineEnd = text.find_first_of("\r\n", valueStart);
    text.replace(valueStart, (lineEnd == std::string::npos ? text.size() : lineEnd) - valueStart, value);
    write(relative, text);
}

ProgramRun HostileStudyTest::convert(const std::string& list) {
    return runProgram(ZANDREL_EXE, {"convert", list, "--transcript", kTranscript}, root_, kLimits);
}

std::vector<std::string> HostileStudyTest::transcript() const { return readTranscript(path(kTranscript)); }

void HostileStudyTest::convertAndCheck(int subject, const Expected& expected, const std::string& list) {
    const FolderSnapshot before = snapshotFolder(root_);
    const ProgramRun run = convert(list);
    const std::vector<std::string> entries = transcript();
    SCOPED_TRACE("log entries:\n" + describe(entries) + "standard error: " + run.err);

    // Processor time, not wall time: the machine may be busy with other work.
    RecordProperty("cpuSeconds", std::to_string(run.cpuSeconds));
    RecordProperty("peakKilobytes", std::to_string(run.peakKilobytes));
    ASSERT_EQ(run.signal, 0) << "the command line was killed by a signal";
    EXPECT_EQ(run.status, expected.exitStatus);
    EXPECT_LT(run.cpuSeconds, kMaxCpuSeconds);
    EXPECT_LT(run.peakKilobytes, kMaxPeakKilobytes);

    // The other sets log exactly what they logged in the baseline, in order; what is left
    // over belongs to the damaged set.
    const std::string marker = "subject" + std::to_string(subject) + "/";
    std::vector<std::string> others;
    for (const std::string& entry : baseline->entries) {
        if (entry.find(marker) == std::string::npos) others.push_back(entry);
    }
    std::vector<std::string> rest;
    std::size_t next = 0;
    for (const std::string& entry : entries) {
        if (next < others.size() && entry == others[next]) {
            ++next;
        } else {
            rest.push_back(entry);
        }
    }
    EXPECT_EQ(next, others.size()) << "entries of the undamaged sets are missing";
    ASSERT_EQ(rest.size(), expected.entries.size()) << "entries of the damaged set:\n" << describe(rest);
    for (std::size_t i = 0; i < rest.size(); ++i) {
        EXPECT_TRUE(std::regex_match(rest[i], std::regex(expected.entries[i])))
            << "entry " << i << " [" << rest[i] << "] does not match " << expected.entries[i];
    }

    // Nothing else changed: the other sets' .voi files were rewritten byte for byte, and
    // the damaged set's files (its previous .voi file included) are untouched unless the
    // case allows it. No temporary file is left behind.
    const FolderSnapshot after = snapshotFolder(root_);
    EXPECT_EQ(after.folders, before.folders);
    for (const auto& [file, content] : before.files) {
        const auto found = after.files.find(file);
        if (found == after.files.end()) {
            ADD_FAILURE() << file << " was removed";
            continue;
        }
        const bool mayChange =
            std::find(expected.mayChange.begin(), expected.mayChange.end(), file) != expected.mayChange.end();
        if (!mayChange) {
            EXPECT_TRUE(found->second == content) << file << " changed";
        }
    }
    for (const auto& [file, content] : after.files) {
        if (before.files.count(file) == 0) ADD_FAILURE() << file << " appeared";
    }
}

}  // namespace zandrel::test
