// The plug-in DLL in a Windows process: the host emulator loads it under Wine and drives it
// like the desktop host. Each scenario states the host's whole transcript, line by line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "generator/study_generator.h"
#include "scenarios/study_files.h"
#include "scenarios/transcript_reader.h"
#include "scenarios/wine_host.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using zandrel::test::TempDir;
using namespace zandrel::wintest;

const char kStartText[] = "\nZandrel>  Running...";
const char kClosingText[] = "Zandrel>  Plugin finished!\n";
const char kUnloadText[] = "Destructor of GFZNLog never called";

json enter(const char* member) { return {{"event", "enter"}, {"member", member}}; }
json returned(const char* member, bool result) {
    return {{"event", "return"}, {"member", member}, {"result", result}};
}
json logged(const std::string& text) { return {{"call", "znLogText"}, {"text", text}}; }
json messageBox(const std::string& text) { return {{"call", "znMessageBox"}, {"text", text}}; }

struct Version {
    int major, minor, patch;
    std::string text() const {
        return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
    }
};

// Start, load and the descriptive exports, up to the host entering initPlugin.
Transcript opening(const std::string& hostName, const Version& version, const std::string& locale = "") {
    Transcript lines = {{{"event", "start"}, {"host", hostName}, {"major", version.major}, {"minor", version.minor},
                         {"patch", version.patch}}};
    if (!locale.empty()) lines.push_back({{"event", "locale"}, {"name", locale}, {"result", locale}});
    lines.push_back({{"event", "loaded"}, {"dll", windowsPath(pluginDll())}});
    const std::pair<const char*, const char*> exports[] = {
        {"getPluginName", "Zandrel"},
        {"getPluginDescription",
         "Creates VOIs from a ROIs using a textfile with the names of all the necessary files"},
        {"getAuthor", "<i>The Zandrel authors</i>"},
        {"getHelpFile", "HelpFolder/index.html"},
        {"getPluginVersion", "1.4"},
        {"getGUIScript", ""},
    };
    for (const auto& [name, value] : exports) lines.push_back({{"event", "export"}, {"name", name}, {"value", value}});
    lines.push_back(enter("createPlugin"));
    lines.push_back({{"event", "return"}, {"member", "createPlugin"}, {"null", false}});
    lines.push_back(enter("initPlugin"));
    return lines;
}

json versionCall(const Version& version) {
    return {{"call", "znGetVersionOfGyrafexZN"}, {"major", version.major}, {"minor", version.minor},
            {"patch", version.patch}};
}

json dialogCall(const fs::path& listFile) {
    return {{"call", "znGetOpenFileName"}, {"caption", "Choose a TXT file to read"}, {"second", ""},
            {"filter", "Text file (*.txt)"}, {"path", windowsPath(listFile)}};
}

// Destruction through slot 0 and the module's unload; `logBound` tells whether initPlugin
// bound the host's log, which is what every closing text goes through.
Transcript closing(bool logBound) {
    Transcript lines = {{{"event", "enter"}, {"member", "destructor"}, {"flags", 1}}};
    if (logBound) lines.push_back(logged(kClosingText));
    lines.push_back({{"event", "return"}, {"member", "destructor"}, {"returnedSelf", true}});
    lines.push_back({{"event", "exportsStable"}, {"result", true}});
    lines.push_back(enter("FreeLibrary"));
    if (logBound) {
        lines.push_back(logged(""));  // the stream's pending text: nothing, every message was flushed
        lines.push_back(logged(kUnloadText));
    }
    lines.push_back(returned("FreeLibrary", true));
    lines.push_back({{"event", "end"}, {"status", 0}});
    return lines;
}

void append(Transcript& lines, const Transcript& more) { lines.insert(lines.end(), more.begin(), more.end()); }

void expectTranscript(const HostResult& result, const Transcript& expected) {
    EXPECT_EQ(result.exitStatus, 0) << "host output:\n" << result.output;
    const auto& actual = result.transcript;
    const std::size_t common = std::min(actual.size(), expected.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (actual[i] != expected[i]) {
            ADD_FAILURE() << "transcript line " << i + 1 << "\n  expected: " << expected[i].dump()
                          << "\n  actual:   " << actual[i].dump() << "\nwhole transcript:\n" << dump(actual)
                          << "host output:\n" << result.output;
            return;
        }
    }
    EXPECT_EQ(actual.size(), expected.size()) << "whole transcript:\n" << dump(actual) << "expected:\n" << dump(expected)
                                              << "host output:\n" << result.output;
}

// Every file below `root`, relative to it, except the list file.
std::set<std::string> fileNames(const fs::path& root) {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(entry.path(), root).generic_string();
        if (name != "study.txt") names.insert(name);
    }
    return names;
}

std::string withoutCarriageReturns(std::string text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

const Version kCurrentHost{2, 8, 0};

// Converts a generated study in the DLL and with the native command line; the log entries
// and the .voi files must agree. `locale` is the C locale the host runs with.
void convertLikeTheCommandLine(const std::string& locale) {
    TempDir dir;
    const auto plan = zandrel::studygen::testStudyPlan(4, 20240611u);
    const fs::path winRoot = dir.path() / "win-study";
    const fs::path nativeRoot = dir.path() / "native-study";
    const auto study = windowsStudy(winRoot, plan);
    // The same study for the native command line: same files, a Linux prefix.
    auto nativePlan = plan;
    nativePlan.prefix = nativeRoot.string() + "/";
    const auto nativeStudy = zandrel::studygen::writeStudy(nativeRoot.string(), nativePlan);

    const std::string nativeTranscript = (dir.path() / "native.jsonl").string();
    const int nativeStatus = runCommand(shellQuoted(ZANDREL_CLI) + " convert " + shellQuoted(nativeStudy.listPath) +
                                            " --transcript " + shellQuoted(nativeTranscript),
                                        (dir.path() / "native-output.txt").string());
    ASSERT_LE(nativeStatus, 1) << commandOutput((dir.path() / "native-output.txt").string());

    // The log entries of execute are the command line's, with the Windows prefix.
    Transcript expected = opening("GyrafexZN.exe", kCurrentHost, locale);
    append(expected, {versionCall(kCurrentHost), {{"call", "znShowLogTab"}}, logged(kStartText),
                      returned("initPlugin", true), enter("execute"), dialogCall(study.listPath)});
    int converted = 0;
    for (const auto& line : readTranscript(nativeTranscript)) {
        std::string entry = line.get<std::string>();
        replaceAll(entry, nativePlan.prefix, windowsPath(winRoot) + "\\");
        converted += entry.rfind("Converted ", 0) == 0 ? 1 : 0;
        expected.push_back(logged(entry));
    }
    EXPECT_EQ(converted, 4) << "the native run did not convert every set";
    append(expected, {returned("execute", true)});
    append(expected, closing(true));

    const auto nativeFiles = voiFiles(nativeRoot);
    ASSERT_EQ(nativeFiles.size(), 4u);
    // The second run finds every .voi file in place and must replace each one.
    for (const char* round : {"first run", "second run over the existing files"}) {
        SCOPED_TRACE(round);
        HostRun run;
        run.listFile = study.listPath;
        run.locale = locale;
        expectTranscript(runHost(dir.path(), run), expected);

        // Every .voi file equals the native one, once the DLL's CR LF line ends are undone.
        const auto windowsFiles = voiFiles(winRoot);
        ASSERT_EQ(windowsFiles.size(), nativeFiles.size());
        for (const auto& [name, content] : nativeFiles) {
            const auto found = windowsFiles.find(name);
            ASSERT_NE(found, windowsFiles.end()) << "the DLL did not write " << name;
            EXPECT_TRUE(withoutCarriageReturns(found->second) == content) << name << " differs from the native file";
        }
        EXPECT_TRUE(windowsFiles.count("subject1/s1_TAL_.voi") == 1 && windowsFiles.count("subject2/s2_ACPC_.voi") == 1)
            << "output names do not follow the TAL lines";
        // Nothing else is left behind (no temporary files of the writer).
        EXPECT_EQ(fileNames(winRoot), fileNames(nativeRoot));
    }
}

TEST(WindowsScenario, HostVersion280ConvertsEveryDataSetLikeTheCommandLine) { convertLikeTheCommandLine(""); }

// The host's C locale writes and reads decimal commas; files and log must not change.
TEST(WindowsScenario, HostWithDecimalCommaLocaleConvertsTheSame) { convertLikeTheCommandLine("German_Germany.1252"); }

TEST(WindowsScenario, HostVersion279IsRefusedWithOneMessageBoxAndNoConversion) {
    TempDir dir;
    const auto study = windowsStudy(dir.path() / "study", zandrel::studygen::testStudyPlan(1, 7u));
    const Version oldHost{2, 7, 9};
    HostRun run;
    run.version = oldHost.text();
    run.listFile = study.listPath;
    const HostResult result = runHost(dir.path(), run);

    Transcript expected = opening("GyrafexZN.exe", oldHost);
    append(expected, {versionCall(oldHost),
                      messageBox("Can not execute this plugin - GyrafexZN version 2.8 or higher required."),
                      returned("initPlugin", false)});
    append(expected, closing(true));
    expectTranscript(result, expected);
    EXPECT_TRUE(voiFiles(dir.path()).empty());
}

TEST(WindowsScenario, UnreadableListShowsTheMessageBoxAndLogsNothing) {
    // A list that does not exist, and a cancelled dialog, which leaves the plug-in's
    // (empty) buffer as it was.
    for (const bool cancel : {false, true}) {
        SCOPED_TRACE(cancel ? "cancelled dialog" : "missing list file");
        TempDir dir;
        HostRun run;
        run.listFile = dir.path() / "no-such-list.txt";
        run.cancelDialog = cancel;
        const HostResult result = runHost(dir.path(), run);

        json dialog = dialogCall(run.listFile);
        if (cancel) dialog["path"] = nullptr;
        Transcript expected = opening("GyrafexZN.exe", kCurrentHost);
        append(expected, {versionCall(kCurrentHost), {{"call", "znShowLogTab"}}, logged(kStartText),
                          returned("initPlugin", true), enter("execute"), dialog,
                          messageBox(" Error: Can not read this text file!"), returned("execute", true)});
        append(expected, closing(true));
        expectTranscript(result, expected);
    }
}

TEST(WindowsScenario, MissingTimeCourseFileInTheMiddleIsLoggedAndTheBatchGoesOn) {
    TempDir dir;
    const fs::path root = dir.path() / "study";
    const auto study = windowsStudy(root, zandrel::studygen::testStudyPlan(3, 99u));
    ASSERT_TRUE(fs::remove(study.subjects[1].stc));
    HostRun run;
    run.listFile = study.listPath;
    const HostResult result = runHost(dir.path(), run);
    ASSERT_EQ(result.exitStatus, 0) << "the host did not survive:\n" << dump(result.transcript) << result.output;

    const std::string prefix = windowsPath(root) + "\\";
    const Transcript executeLines = during(result.transcript, "execute");
    std::vector<std::string> entries;
    for (const auto& line : executeLines) {
        if (line.value("call", "") == "znLogText") entries.push_back(eightBitText(line["text"]));
    }
    // Skipped-voxel notes may follow a "Converted " entry; the set entries are in list order.
    std::vector<std::string> setEntries;
    for (const auto& entry : entries) {
        if (entry.rfind("VOI ", 0) != 0) setEntries.push_back(entry);
    }
    ASSERT_EQ(setEntries.size(), 3u) << dump(executeLines);
    EXPECT_EQ(setEntries[0], "Converted " + prefix + "subject1/s1.roi");
    const std::string failure = "!!!! Could not convert " + prefix + "subject2/s2.roi: Failed opening STC for reading: ";
    EXPECT_EQ(setEntries[1].rfind(failure, 0), 0u) << setEntries[1];
    EXPECT_NE(setEntries[1].find("s2_run1.stc"), std::string::npos) << setEntries[1];
    EXPECT_EQ(setEntries[2], "Converted " + prefix + "subject3/s3.roi");
    EXPECT_EQ(countCalls(executeLines, "znMessageBox"), 0);

    const auto files = voiFiles(root);
    EXPECT_EQ(files.count("subject1/s1_TAL_.voi"), 1u);
    EXPECT_EQ(files.count("subject2/s2_ACPC_.voi"), 0u);
    EXPECT_EQ(files.count("subject3/s3_TAL_.voi"), 1u);
    EXPECT_EQ(logTexts(result.transcript).back(), kUnloadText);
}

TEST(WindowsScenario, AnotherHostExecutableIsNotBoundAndNothingIsCalled) {
    TempDir dir;
    const auto study = windowsStudy(dir.path() / "study", zandrel::studygen::testStudyPlan(1, 5u));
    HostRun run;
    run.hostName = "OtherHost.exe";
    run.listFile = study.listPath;
    const HostResult result = runHost(dir.path(), run);

    // No host function is bound: initPlugin answers false without a message, and the
    // closing and unload texts have nowhere to go.
    Transcript expected = opening("OtherHost.exe", kCurrentHost);
    append(expected, {returned("initPlugin", false)});
    append(expected, closing(false));
    expectTranscript(result, expected);
    EXPECT_TRUE(voiFiles(dir.path()).empty());
}

}  // namespace
