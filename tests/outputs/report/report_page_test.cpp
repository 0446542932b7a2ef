// The page of a report built from batch events: sets sorted from the entries, problem sets
// first, and no text from a file left unescaped.
#include <gtest/gtest.h>

#include <string>

#include "outputs/report/report_builder.h"
#include "outputs/report/report_page.h"
#include "report_fixture.h"

namespace zandrel::report {
namespace {

TEST(ReportPage, EscapesEveryTextFromAFile) {
    const std::string hostile = "<script>alert('x')</script>\"&";
    ReportBuilder builder("list " + hostile + ".txt", "1<b>", false);
    builder.addLogEntry("before any set " + hostile);
    FileSet files;
    files.roiPath = "/d/" + hostile + ".roi";
    files.talPath = "/d/<img src=x onerror=y>.tal";
    builder.startSet(files);
    builder.setOutputPath("/d/" + hostile + "_TAL_.voi");
    builder.addLogEntry("entry </li><img src=x>" + hostile);
    VoiRow voi;
    voi.name = "VOI <i>" + hostile;
    voi.figures.voxels = 1;
    builder.setBuilt("<ACPC>", {voi});
    builder.setPictures({{"a\".png", 1, 1, "alt " + hostile, {"caption " + hostile}}}, "note " + hostile);
    builder.finishSet(SetOutcome::converted);
    builder.finishBatch();
    const std::string page = renderPage(builder.model());

    for (const char* raw : {"<script", "<img src=x", "<i>", "<b>", "</li><img", "<ACPC>", "a\".png", "'x'"})
        EXPECT_EQ(page.find(raw), std::string::npos) << raw;
    EXPECT_NE(page.find("&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;&quot;&amp;"), std::string::npos);
    EXPECT_EQ(escapeHtml("a<b>&\"'c"), "a&lt;b&gt;&amp;&quot;&#39;c");
}

TEST(ReportPage, ProblemSetsComeFirstInTheOverview) {
    ReportBuilder builder("list.txt", "1.0", false);
    for (const SetOutcome outcome : {SetOutcome::converted, SetOutcome::reported, SetOutcome::failed,
                                        SetOutcome::converted}) {
        builder.startSet(FileSet{});
        builder.finishSet(outcome);
    }
    const std::string page = renderPage(builder.model());
    const std::size_t table = page.find("<h2>Sets</h2>");
    std::vector<std::size_t> at;
    for (const char* link : {"href=\"#set-3\"", "href=\"#set-2\"", "href=\"#set-1\"", "href=\"#set-4\""})
        at.push_back(page.find(link, table));
    for (std::size_t n = 0; n + 1 < at.size(); ++n) {
        ASSERT_NE(at[n], std::string::npos) << "link " << n;
        EXPECT_LT(at[n], at[n + 1]) << "overview order at position " << n;
    }
}

TEST(ReportPage, SaysAfterWhichSetAnInterruptedRunStopped) {
    ReportBuilder builder("list.txt", "1.0", false);
    builder.startSet(FileSet{});
    builder.finishSet(SetOutcome::converted);
    const std::string complete = renderPage(builder.model());
    EXPECT_EQ(complete.find("interrupted"), std::string::npos);

    builder.interrupted(BatchInterrupted{1, 200});
    builder.finishBatch();
    const std::string page = renderPage(builder.model());
    EXPECT_NE(page.find("<h1>Zandrel batch report (interrupted)</h1>"), std::string::npos);
    EXPECT_NE(page.find("This run was interrupted after set 1 of 200: the sets after it were not run"),
              std::string::npos);
}

TEST(ReportBuilder, SortsEventsIntoSetsAndCountsOutcomes) {
    ReportBuilder builder("list.txt", "1.0", true);
    builder.addLogEntry("batch entry");
    const SetOutcome outcomes[] = {SetOutcome::failed, SetOutcome::converted, SetOutcome::reported,
                                      SetOutcome::converted};
    for (std::size_t n = 0; n < 4; ++n) {
        FileSet files;
        files.roiPath = "s" + std::to_string(n) + ".roi";
        builder.startSet(files);
        builder.addLogEntry("entry of " + files.roiPath);
        builder.finishSet(outcomes[n]);
    }
    builder.addLogEntry("after the sets");
    builder.finishBatch();
    const ReportModel& model = builder.model();
    EXPECT_EQ(model.batchEntries, (std::vector<std::string>{"batch entry", "after the sets"}));
    ASSERT_EQ(model.sets.size(), 4u);
    for (std::size_t n = 0; n < 4; ++n) {
        EXPECT_EQ(model.sets[n].outcome, outcomes[n]) << n;
        EXPECT_EQ(model.sets[n].logEntries, (std::vector<std::string>{"entry of s" + std::to_string(n) + ".roi"})) << n;
    }
    const BatchSummary& counts = model.summary;
    EXPECT_EQ(counts.setsFound, 4);
    EXPECT_EQ(counts.converted, 2);
    EXPECT_EQ(counts.reported, 1);
    EXPECT_EQ(counts.failed, 1);
    EXPECT_TRUE(model.dryRun);
    EXPECT_GE(model.totalSeconds, 0.0);
    // A dry run builds no VOIs: its converted sets say so instead of showing a table.
    const std::string page = renderPage(model);
    EXPECT_NE(page.find("Zandrel batch report (dry run)"), std::string::npos);
    EXPECT_NE(test::sectionOf(page, 2).find("Dry run: no VOIs were built."), std::string::npos);
    EXPECT_EQ(test::sectionOf(page, 1).find("Dry run: no VOIs were built."), std::string::npos);
}

}  // namespace
}  // namespace zandrel::report
