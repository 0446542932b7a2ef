// What `zandrel convert` makes of what the batch reports: console lines, the JSON Lines
// transcript, and the progress line.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/convert_output.h"
#include "cli/convert_progress.h"
#include "temp_dir.h"

namespace zandrel::cli {
namespace {

using zandrel::test::readFile;
using zandrel::test::TempDir;

TEST(ConvertOutput, PrintsEachEntryOnItsOwnLineAndTranscribesIt) {
    TempDir dir;
    std::ostringstream console;
    ConvertOutput output(console);
    ASSERT_TRUE(output.openTranscript(dir.file("t.jsonl")));
    output.onEntry("Converted a.roi");
    output.onEntry("closing text\n");
    output.onEntry("two\nlines");
    output.onEntry("");
    EXPECT_TRUE(output.finish());
    EXPECT_EQ(console.str(), "Converted a.roi\nclosing text\ntwo\nlines\n\n");
    EXPECT_EQ(readFile(dir.file("t.jsonl")), "\"Converted a.roi\"\n\"closing text\\n\"\n\"two\\nlines\"\n\"\"\n");
}

TEST(ConvertOutput, ErasesTheProgressLineBeforeEveryEntryAndAtTheEnd) {
    std::ostringstream console;
    std::ostringstream terminal;
    ConvertProgress progress(terminal, 2);
    ConvertOutput output(console);
    output.showProgress(progress);
    FileSet set;
    set.roiPath = "/d/a.roi";
    output.onSetStarted(1, set);
    output.onEntry("Converted /d/a.roi");
    const std::string afterEntry = terminal.str();
    set.roiPath = "/d/b.roi";
    output.onSetStarted(2, set);
    EXPECT_TRUE(output.finish());
    const std::string erase = "\r" + std::string(11, ' ') + "\r";
    EXPECT_EQ(afterEntry, "\r[1/2] a.roi" + erase);
    EXPECT_EQ(terminal.str(), "\r[1/2] a.roi" + erase + "\r[2/2] b.roi" + erase);
    EXPECT_EQ(console.str(), "Converted /d/a.roi\n");
}

TEST(ConvertOutput, ATranscriptWriteFailureIsNotReportedAsComplete) {
    std::ostringstream console;
    ConvertOutput output(console);
    if (!output.openTranscript("/dev/full")) GTEST_SKIP() << "no /dev/full";
    output.onEntry("entry");
    EXPECT_FALSE(output.finish());
}

TEST(ConvertProgress, ShowsSetNumberTotalAndFileName) {
    EXPECT_EQ(ConvertProgress::statusText(3, 12, "/data/subject3/s3.roi"), "[3/12] s3.roi");
    EXPECT_EQ(ConvertProgress::statusText(1, 1, "D:\\study\\s1.roi"), "[1/1] s1.roi");
    EXPECT_EQ(ConvertProgress::statusText(1, 2, "s\x1b[2Jx.roi"), "[1/2] s?[2Jx.roi");
    const std::string longName(200, 'n');
    const std::string status = ConvertProgress::statusText(1, 2, longName + ".roi");
    EXPECT_LE(status.size(), 70u);
    EXPECT_EQ(status.substr(status.size() - 7), "nnn.roi");
}

TEST(ConvertProgress, RewritesAndErasesOneLine) {
    std::ostringstream terminal;
    ConvertProgress progress(terminal, 2);
    progress.show(1, "/d/a.roi");
    progress.show(2, "/d/bb.roi");
    progress.clear();
    progress.clear();
    const auto erase = [](const std::string& shown) { return "\r" + std::string(shown.size(), ' ') + "\r"; };
    EXPECT_EQ(terminal.str(), "\r[1/2] a.roi" + erase("[1/2] a.roi") + "\r[2/2] bb.roi" + erase("[2/2] bb.roi"));
}

}  // namespace
}  // namespace zandrel::cli
