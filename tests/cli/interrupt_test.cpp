// Ctrl-C in the middle of a batch, as a user meets it: `zandrel convert` with NIfTI files, a
// report and a transcript, run as a program on a generated study and sent SIGINT or SIGTERM
// while it converts.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "program_run.h"
#include "study_fixture.h"
#include "temp_dir.h"
#include "zandrel/build_features.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;

constexpr int kSets = 200;

std::vector<std::string> linesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Every file under `root` whose name says it is a temporary.
std::vector<std::string> temporariesUnder(const fs::path& root) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.path().filename().string().find(".tmp") != std::string::npos) found.push_back(entry.path().string());
    return found;
}

// Outputs of one set: the .voi and, with --nifti, its image and sidecar beside it.
std::vector<std::string> outputsOf(const studygen::SubjectFiles& files) {
    const std::string voi = test::voiPathOf(files);
    std::vector<std::string> outputs{voi};
#if ZANDREL_WITH_NIFTI
    const std::string stem = voi.substr(0, voi.size() - 4);
    outputs.push_back(stem + ".nii.gz");
    outputs.push_back(stem + ".json");
#endif
    return outputs;
}

class Interrupt : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = new TempDir;
        studygen::StudyPlan plan = studygen::testStudyPlan(kSets, 23);
        plan.prefix = "./";
        study = new studygen::GeneratedStudy(studygen::writeStudy(folder->file("study"), plan));
    }
    static void TearDownTestSuite() {
        delete study;
        delete folder;
    }
    void SetUp() override {
        // Each test starts from the study alone.
        for (const auto& files : study->subjects)
            for (const std::string& output : outputsOf(files)) fs::remove(output);
        fs::remove_all(report());
        fs::remove(transcript());
    }

    static std::string report() { return study->root + "/qc"; }
    static std::string transcript() { return study->root + "/t.jsonl"; }

    static std::vector<std::string> arguments() {
        std::vector<std::string> words{"convert", "study.txt", "--report", "qc", "--transcript", "t.jsonl"};
#if ZANDREL_WITH_NIFTI
        words.insert(words.end(), {"--nifti", "labels"});
#endif
        return words;
    }

    // Starts the program and sends `signal` once the transcript holds `entries` entries;
    // with `twice`, again as soon as the program has taken the first one.
    static test::ProgramRun interruptedRun(int signal, std::size_t entries, bool twice = false) {
        return interruptedRun(arguments(), signal, entries, twice);
    }
    static test::ProgramRun interruptedRun(const std::vector<std::string>& words, int signal, std::size_t entries,
                                           bool twice = false) {
        test::StartedProgram program = test::startProgram(ZANDREL_EXECUTABLE, words, study->root);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (linesOf(transcript()).size() < entries && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ::kill(program.pid, signal);
        if (twice) {
            while (catchesSignal(program.pid, signal) && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ::kill(program.pid, signal);
        }
        return test::waitForProgram(program);
    }

    // Whether the process still has a handler for `signal` (the SigCgt mask of Linux).
    static bool catchesSignal(int pid, int signal) {
        std::ifstream status("/proc/" + std::to_string(pid) + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("SigCgt:", 0) != 0) continue;
            const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
            return (mask >> (signal - 1)) & 1u;
        }
        return false;
    }

    static TempDir* folder;
    static studygen::GeneratedStudy* study;
};

TempDir* Interrupt::folder = nullptr;
studygen::GeneratedStudy* Interrupt::study = nullptr;

// What an interrupted run must leave: the sets before the interruption complete, none after
// it, no temporary, the transcript ending with the interruption; returns the last set run.
int expectCleanInterruption(const test::ProgramRun& run, const studygen::GeneratedStudy& study,
                            const std::string& transcript) {
    EXPECT_EQ(run.status, 130) << run.err;
    EXPECT_EQ(temporariesUnder(study.root), std::vector<std::string>{});

    const std::vector<std::string> lines = linesOf(transcript);
    std::vector<std::string> entries;
    for (const std::string& line : lines) {
        const nlohmann::json value = nlohmann::json::parse(line, nullptr, false);
        EXPECT_TRUE(value.is_string()) << "not a JSON string: " << line;
        if (value.is_string()) entries.push_back(value.get<std::string>());
    }
    int converted = 0;
    while (converted < static_cast<int>(entries.size()) && entries[converted].rfind("Converted ", 0) == 0) ++converted;
    const std::string last = "!!!! Batch interrupted after set " + std::to_string(converted) + " of " +
                             std::to_string(kSets) + ": the sets after it were not run";
    EXPECT_EQ(entries.size(), static_cast<std::size_t>(converted) + 1);
    EXPECT_EQ(entries.empty() ? "" : entries.back(), last);
    EXPECT_GT(converted, 0);
    EXPECT_LT(converted, kSets);
    EXPECT_NE(run.err.find("zandrel convert: interrupted after set " + std::to_string(converted) + " of " +
                           std::to_string(kSets) + ": " + std::to_string(converted) + " converted"),
              std::string::npos)
        << run.err;

    for (int n = 0; n < kSets; ++n) {
        for (const std::string& output : outputsOf(study.subjects[n]))
            EXPECT_EQ(fs::exists(output), n < converted) << output << " of set " << n + 1;
    }
    return converted;
}

TEST_F(Interrupt, SigintStopsAfterTheCurrentSetAndASecondRunConvertsEverything) {
    const test::ProgramRun run = interruptedRun(SIGINT, 3);
    const int converted = expectCleanInterruption(run, *study, transcript());
    const std::string page = readFile(report() + "/index.html");
    EXPECT_NE(page.find("This run was interrupted after set " + std::to_string(converted) + " of " +
                        std::to_string(kSets)),
              std::string::npos);
    EXPECT_EQ(temporariesUnder(report()), std::vector<std::string>{});

    // The second run leaves out the NIfTI files, which would take most of the test's time.
    const test::ProgramRun again = test::runProgram(
        ZANDREL_EXECUTABLE, {"convert", "study.txt", "--report", "qc", "--transcript", "t.jsonl"}, study->root);
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(again.err, "zandrel convert: 200 converted; report in qc/index.html\n");
    EXPECT_EQ(linesOf(transcript()).size(), static_cast<std::size_t>(kSets));
    for (const auto& files : study->subjects) EXPECT_TRUE(fs::exists(test::voiPathOf(files))) << files.roi;
    EXPECT_EQ(readFile(report() + "/index.html").find("interrupted"), std::string::npos);
    EXPECT_EQ(temporariesUnder(study->root), std::vector<std::string>{});
}

TEST_F(Interrupt, SigtermStopsTheSameWay) {
    const test::ProgramRun run = interruptedRun(SIGTERM, 2);
    expectCleanInterruption(run, *study, transcript());
    EXPECT_NE(readFile(report() + "/index.html").find("(interrupted)"), std::string::npos);
}

TEST_F(Interrupt, ASecondSignalEndsTheProgramAtOnceAndTheNextRunCleansUp) {
    const test::ProgramRun run = interruptedRun(SIGINT, 2, true);
    EXPECT_EQ(run.signal, SIGINT) << "status " << run.status << ": " << run.err;

    // Whatever temporaries the killed run left, the next run into their folders removes them.
    const test::ProgramRun again = test::runProgram(ZANDREL_EXECUTABLE, {"convert", "study.txt", "--report", "qc"}, study->root);
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(temporariesUnder(study->root), std::vector<std::string>{});
}

TEST_F(Interrupt, ProjectAndExtractStopAfterTheCurrentSet) {
    // One converted VOI placed on its own run, set after set.
    const studygen::SubjectFiles& subject = study->subjects[0];
    const std::string one = test::writeList(study->root + "/one.txt", test::setLines(subject));
    ASSERT_EQ(test::runProgram(ZANDREL_EXECUTABLE, {"convert", one}, study->root).status, 0);
    std::vector<std::string> lines;
    for (int n = 0; n < kSets; ++n) {
        lines.push_back(test::voiPathOf(subject));
        for (const std::string& file : {subject.fmr, subject.ia, subject.fa, subject.acpc, subject.tal})
            if (!file.empty()) lines.push_back(file);
    }
    test::writeList(study->root + "/runs.txt", lines);

    for (const std::string command : {"project", "extract"}) {
        fs::remove(transcript());
        const test::ProgramRun run = interruptedRun({command, "runs.txt", "--transcript", "t.jsonl"}, SIGINT, 2);
        EXPECT_EQ(run.status, 130) << command << ": " << run.err;
        const std::vector<std::string> entries = linesOf(transcript());
        ASSERT_FALSE(entries.empty()) << command;
        EXPECT_EQ(entries.back().rfind("\"!!!! Batch interrupted after set ", 0), 0u) << command << ": " << entries.back();
        EXPECT_NE(run.err.find("zandrel " + command + ": interrupted after set "), std::string::npos) << run.err;
        EXPECT_EQ(temporariesUnder(study->root), std::vector<std::string>{}) << command;
    }
}

}  // namespace
}  // namespace zandrel
