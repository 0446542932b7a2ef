// A whole run as the host drives it: a generated study chosen in the file dialog, converted
// by execute, with every host call recorded.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "batch/batch_run.h"
#include "entry_recorder.h"
#include "fake_host.h"
#include "generator/study_generator.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

using test::FakeHost;
using test::HostCall;
using test::logCall;
using Calls = std::vector<HostCall>;
using Files = std::map<std::string, std::string>;

// Every .voi file under `root` with its content; the files are removed.
Files takeVoiFiles(const std::string& root) {
    Files files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.path().extension() != ".voi") continue;
        files[entry.path().string()] = test::readFile(entry.path().string());
    }
    for (const auto& file : files) std::filesystem::remove(file.first);
    return files;
}

TEST(PluginRun, ConvertsTheStudyChosenInTheDialogLikeTheBatchRunItself) {
    test::TempDir dir;
    const studygen::GeneratedStudy study =
        studygen::writeStudy(dir.file("study"), studygen::testStudyPlan(2, 11));

    test::EntryRecorder recorder;
    const BatchSummary direct = runBatch(study.listPath, recorder);
    ASSERT_EQ(direct.converted, 2);
    const Files expectedFiles = takeVoiFiles(study.root);
    ASSERT_EQ(expectedFiles.size(), 2u);

    FakeHost host;
    host.answerDialogWith(study.listPath);
    {
        test::PluginPtr plugin = test::makePlugin();
        ASSERT_TRUE(plugin->initPlugin());
        EXPECT_TRUE(plugin->execute());
    }

    Calls expected = {{"znGetVersionOfGyrafexZN", {}},
                      {"znShowLogTab", {}},
                      logCall("\nZandrel>  Running..."),
                      {"znGetOpenFileName", {"Choose a TXT file to read", "", "Text file (*.txt)"}}};
    for (const std::string& entry : recorder.entries) expected.push_back(logCall(entry));
    expected.push_back(logCall("Zandrel>  Plugin finished!\n"));
    EXPECT_EQ(host.calls(), expected);

    int convertedLines = 0;
    for (const std::string& text : host.logTexts()) {
        if (text.rfind("Converted ", 0) == 0) ++convertedLines;
    }
    EXPECT_EQ(convertedLines, 2);
    EXPECT_EQ(takeVoiFiles(study.root), expectedFiles);
}

// The two places where the plug-in reads a list otherwise than written: a UTF-8 byte-order
// mark at its start (Notepad's) is dropped, and a line longer than any path ends the batch
// with a log entry instead of being held whole.
TEST(PluginRun, DropsAByteOrderMarkAndStopsAtALineLongerThanAnyPath) {
    test::TempDir dir;
    const studygen::GeneratedStudy study =
        studygen::writeStudy(dir.file("study"), studygen::testStudyPlan(1, 5));
    const std::string list = test::readFile(study.listPath);

    const struct {
        const char* name;
        std::string text;
        std::vector<std::string> entries;
    } cases[] = {
        {"byte-order mark", "\xEF\xBB\xBF" + list, {"Converted " + study.subjects[0].roi}},
        // The set whose lines the long line falls among is not converted; the ones before are.
        {"over-long line in the second set",
         list + list.substr(list.find('\n') + 1) + std::string(70000, 'x') + "\n",
         {"Converted " + study.subjects[0].roi,
          "!!!! Conversion stopped: line " + std::to_string(2 * std::count(list.begin(), list.end(), '\n')) +
              " of the list is longer than 65536 bytes, longer than any path"}},
    };
    for (const auto& c : cases) {
        const std::string path = dir.write("list.txt", c.text);
        FakeHost host;
        host.answerDialogWith(path);
        {
            test::PluginPtr plugin = test::makePlugin();
            ASSERT_TRUE(plugin->initPlugin());
            EXPECT_TRUE(plugin->execute());
        }
        std::vector<std::string> entries;
        for (const std::string& text : host.logTexts()) {
            if (text.rfind("Zandrel>", 0) != 0 && text.rfind("\nZandrel>", 0) != 0) entries.push_back(text);
        }
        EXPECT_EQ(entries, c.entries) << c.name;
        takeVoiFiles(study.root);
    }
}

// A .voi file that cannot be created is logged with the described text only: the reason
// the command line adds after it never reaches the host's log.
TEST(PluginRun, ACannotCreateEntryKeepsTheDescribedText) {
    test::TempDir dir;
    const studygen::GeneratedStudy study =
        studygen::writeStudy(dir.file("study"), studygen::testStudyPlan(1, 5));
    const std::string& roi = study.subjects[0].roi;
    const std::string voi = roi.substr(0, roi.rfind('.')) + "_TAL_.voi";
    std::filesystem::create_directory(voi);  // a folder where the .voi file goes

    FakeHost host;
    host.answerDialogWith(study.listPath);
    {
        test::PluginPtr plugin = test::makePlugin();
        ASSERT_TRUE(plugin->initPlugin());
        EXPECT_TRUE(plugin->execute());
    }
    std::vector<std::string> entries;
    for (const std::string& text : host.logTexts()) {
        if (text.rfind("Zandrel>", 0) != 0 && text.rfind("\nZandrel>", 0) != 0) entries.push_back(text);
    }
    EXPECT_EQ(entries, std::vector<std::string>{"!!!! Could not convert " + roi + ": Cannot Create file: " + voi});
}

}  // namespace
}  // namespace zandrel
