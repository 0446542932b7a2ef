// A whole run as the host drives it: a generated study chosen in the file dialog, converted
// by execute, with every host call recorded.

#include <gtest/gtest.h>

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
        studygen::writeStudy(dir.file("study"), studygen::testStudySpec(2, 11));

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

}  // namespace
}  // namespace zandrel
