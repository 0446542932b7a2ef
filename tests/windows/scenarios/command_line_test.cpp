// The Windows command line zandrel.exe under Wine, on studies whose list is written as
// Windows users write it: CR LF line ends, a drive letter and backslashes. Its .voi files
// must equal byte for byte those the native command line writes with --crlf, its log the
// native one (paths aside), and its exit statuses must follow the same rules.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "generator/study_generator.h"
#include "scenarios/study_files.h"
#include "scenarios/transcript_reader.h"
#include "scenarios/wine_host.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using zandrel::test::readFile;
using zandrel::test::TempDir;
using namespace zandrel::wintest;

struct CliRun {
    int status = -1;
    std::string output;               // standard output and error together, as canonical()
    std::vector<std::string> log;     // the transcript's entries, study paths as "<study>/..."
};

// Text with the study's prefix as "<study>/", '/' separators and LF line ends, so that the
// Windows and the native run can be compared.
std::string canonical(std::string text, const std::string& prefix) {
    if (!prefix.empty()) replaceAll(text, prefix, "<study>/");
    replaceAll(text, "\\", "/");
    replaceAll(text, "\r\n", "\n");
    return text;
}

std::vector<std::string> canonicalLog(const fs::path& transcript, const std::string& prefix) {
    std::vector<std::string> entries;
    if (!fs::exists(transcript)) return entries;
    for (const auto& line : readTranscript(transcript.string())) entries.push_back(canonical(line.get<std::string>(), prefix));
    return entries;
}

// zandrel.exe convert LIST --transcript FILE under Wine, every path in Windows form.
CliRun convertOnWindows(const fs::path& dir, const fs::path& list, const std::string& prefix) {
    const fs::path transcript = dir / "windows.jsonl";
    const fs::path output = dir / "windows-output.txt";
    CliRun run;
    run.status = runCommand(wineCommand(dir, commandLineExecutable()) + " convert " +
                                shellQuoted(windowsPath(list)) + " --transcript " +
                                shellQuoted(windowsPath(transcript)),
                            output.string());
    run.output = canonical(commandOutput(output.string()), prefix);
    run.log = canonicalLog(transcript, prefix);
    return run;
}

// The native command line on the same study, writing CR LF line ends as Windows does.
CliRun convertNatively(const fs::path& dir, const fs::path& list, const std::string& prefix) {
    const fs::path transcript = dir / "native.jsonl";
    const fs::path output = dir / "native-output.txt";
    CliRun run;
    run.status = runCommand(shellQuoted(ZANDREL_CLI) + " convert " + shellQuoted(list.string()) +
                                " --crlf --transcript " + shellQuoted(transcript.string()),
                            output.string());
    run.output = commandOutput(output.string());
    run.log = canonicalLog(transcript, prefix);
    return run;
}

// The list as a Windows user writes it: every '/' a backslash, CR LF line ends.
void rewriteListForWindows(const std::string& listPath) {
    std::string text = readFile(listPath);
    replaceAll(text, "\r\n", "\n");
    replaceAll(text, "/", "\\");
    replaceAll(text, "\n", "\r\n");
    TempDir scratch;
    fs::copy_file(scratch.write("list.txt", text), listPath, fs::copy_options::overwrite_existing);
}

struct Studies {
    zandrel::studygen::GeneratedStudy windows, native;
    std::string windowsPrefix, nativePrefix;
};

// The same generated study twice: for zandrel.exe (Windows list) and for the native program.
Studies twoStudies(const fs::path& dir, int subjects, std::uint64_t seed) {
    const auto plan = zandrel::studygen::testStudyPlan(subjects, seed);
    Studies studies;
    studies.windows = windowsStudy(dir / "win-study", plan);
    studies.windowsPrefix = windowsPath(dir / "win-study") + "\\";
    rewriteListForWindows(studies.windows.listPath);
    auto nativePlan = plan;
    studies.nativePrefix = (dir / "native-study").string() + "/";
    nativePlan.prefix = studies.nativePrefix;
    studies.native = zandrel::studygen::writeStudy((dir / "native-study").string(), nativePlan);
    return studies;
}

void expectSameResults(const CliRun& windows, const CliRun& native, const Studies& studies, std::size_t vois) {
    EXPECT_EQ(windows.log, native.log) << "zandrel.exe output:\n" << windows.output;
    // Each entry is also printed on a line of its own (CR LF on Windows).
    for (std::string entry : windows.log) {
        if (!entry.empty() && entry.back() == '\n') entry.pop_back();
        EXPECT_NE(("\n" + windows.output).find("\n" + entry + "\n"), std::string::npos)
            << "the log entry '" << entry << "' is not a line of the output:\n" << windows.output;
    }
    const auto windowsFiles = voiFiles(studies.windows.root);
    const auto nativeFiles = voiFiles(studies.native.root);
    EXPECT_EQ(nativeFiles.size(), vois);
    ASSERT_EQ(windowsFiles.size(), nativeFiles.size()) << windows.output;
    for (const auto& [name, content] : nativeFiles) {
        const auto found = windowsFiles.find(name);
        ASSERT_NE(found, windowsFiles.end()) << "zandrel.exe did not write " << name;
        EXPECT_TRUE(found->second == content) << name << " differs from the native file written with --crlf";
        EXPECT_NE(content.find("\r\n"), std::string::npos) << name << " has no CR LF line ends";
    }
}

TEST(WindowsCommandLine, ConvertsAWindowsListLikeTheNativeProgramWithCrlf) {
    TempDir dir;
    const Studies studies = twoStudies(dir.path(), 4, 20240611u);
    const CliRun native = convertNatively(dir.path(), studies.native.listPath, studies.nativePrefix);
    ASSERT_EQ(native.status, 0) << native.output;
    // The second run finds every .voi file in place and must replace each one.
    for (const char* round : {"first run", "second run over the existing files"}) {
        SCOPED_TRACE(round);
        const CliRun windows = convertOnWindows(dir.path(), studies.windows.listPath, studies.windowsPrefix);
        EXPECT_EQ(windows.status, 0) << windows.output;
        expectSameResults(windows, native, studies, 4);
    }
}

TEST(WindowsCommandLine, SetMissingAFileIsReportedWithStatus1AndTheBatchGoesOn) {
    TempDir dir;
    const Studies studies = twoStudies(dir.path(), 3, 99u);
    ASSERT_TRUE(fs::remove(studies.windows.subjects[1].stc));
    ASSERT_TRUE(fs::remove(studies.native.subjects[1].stc));
    const CliRun native = convertNatively(dir.path(), studies.native.listPath, studies.nativePrefix);
    ASSERT_EQ(native.status, 1) << native.output;
    const CliRun windows = convertOnWindows(dir.path(), studies.windows.listPath, studies.windowsPrefix);
    EXPECT_EQ(windows.status, 1) << windows.output;
    expectSameResults(windows, native, studies, 2);
    ASSERT_EQ(windows.log.size(), native.log.size());
    EXPECT_EQ(windows.log.front(), "Converted <study>/subject1/s1.roi");
}

TEST(WindowsCommandLine, UnreadableListGivesStatus2AndWritesNothing) {
    TempDir dir;
    const CliRun windows = convertOnWindows(dir.path(), dir.path() / "no-such-list.txt", "");
    EXPECT_EQ(windows.status, 2) << windows.output;
    EXPECT_NE(windows.output.find(" Error: Can not read this text file!"), std::string::npos) << windows.output;
    EXPECT_TRUE(windows.log.empty());
    EXPECT_FALSE(fs::exists(dir.path() / "windows.jsonl")) << "a transcript was written for an unreadable list";
}

TEST(WindowsCommandLine, VersionNamesNoOptionalFeature) {
    TempDir dir;
    const std::string output = dir.file("version.txt");
    ASSERT_EQ(runCommand(wineCommand(dir.path(), commandLineExecutable()) + " --version", output), 0)
        << commandOutput(output);
    const std::string text = commandOutput(output);
    EXPECT_EQ(text.rfind("zandrel ", 0), 0u) << text;
    EXPECT_NE(text.find("features: none"), std::string::npos) << text;
}

TEST(WindowsCommandLine, NiftiOutputIsDeclaredButUnavailable) {
    TempDir dir;
    const std::string output = dir.file("nifti.txt");
    const struct {
        std::string args;
        std::string message;
    } cases[] = {{" convert no-list.txt --nifti masks", "zandrel convert: --nifti"},
                 {" export no.voi", "zandrel export: NIfTI output"}};
    for (const auto& c : cases) {
        EXPECT_EQ(runCommand(wineCommand(dir.path(), commandLineExecutable()) + c.args, output), 2) << c.args;
        EXPECT_NE(commandOutput(output).find(c.message + " is not available in this build (built without the NIfTI C library)"),
                  std::string::npos)
            << c.args << "\n" << commandOutput(output);
    }
}

}  // namespace
