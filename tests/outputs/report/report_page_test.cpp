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

VoiRow voiRow(const std::string& name, std::int64_t voxels, std::int64_t roiVoxels, std::int64_t skipped) {
    VoiRow row;
    row.name = name;
    row.figures.voxels = voxels;
    row.roiVoxels = roiVoxels;
    row.skippedVoxels = skipped;
    return row;
}

// The rows of the overview table, in page order, each as its text without tags.
std::vector<std::string> overviewRows(const std::string& page) {
    const std::size_t start = page.find("<table class=\"overview\">");
    const std::size_t end = page.find("</table>", start);
    std::vector<std::string> rows;
    if (start == std::string::npos) return rows;
    for (std::size_t at = page.find("<tbody>", start); (at = page.find("<tr", at)) < end; ++at) {
        const std::string row = page.substr(at, page.find("</tr>", at) - at);
        std::string text;
        bool tag = false;
        for (const char c : row) {
            if (c == '<') tag = true, text += '|';
            else if (c == '>') tag = false;
            else if (!tag) text += c;
        }
        std::string squeezed;
        for (const char c : text)
            if (c != '|' || squeezed.empty() || squeezed.back() != '|') squeezed += c;
        rows.push_back(squeezed);
    }
    return rows;
}

// One row per set, problem sets first, each linking to its section: outcome, VOI count,
// voxels per VOI and the smallest coverage, which never rounds up to 100%.
TEST(ReportPage, OverviewHasOneCompactRowPerSet) {
    ReportBuilder builder("list.txt", "1.0", false);
    const auto set = [&](const std::string& roi, SetOutcome outcome, std::vector<VoiRow> vois) {
        FileSet files;
        files.roiPath = "/study/" + roi;
        builder.startSet(files);
        if (outcome == SetOutcome::converted) builder.setBuilt("TAL", std::move(vois));
        builder.finishSet(outcome);
    };
    set("s1.roi", SetOutcome::converted, {voiRow("a", 120, 40, 0), voiRow("b", 75, 30, 0)});
    set("s2.roi", SetOutcome::failed, {});
    set("s3.roi", SetOutcome::converted, {voiRow("a", 300, 2000, 1), voiRow("b", 0, 0, 0)});
    for (int n = 4; n <= 100; ++n) set("s" + std::to_string(n) + ".roi", SetOutcome::converted, {voiRow("a", n, 10, 0)});
    const std::string page = renderPage(builder.model());
    const std::vector<std::string> rows = overviewRows(page);
    ASSERT_EQ(rows.size(), 100u);
    EXPECT_EQ(rows[0], "|2|s2.roi|failed|&ndash;|&ndash;|&ndash;|");
    EXPECT_EQ(rows[1], "|1|s1.roi|converted|2|120, 75|100.0%|");
    // 1999 of 2000 voxels inside: 99.95% shows as 99.9%; the empty ROI has no coverage.
    EXPECT_EQ(rows[2], "|3|s3.roi|converted|2|300, 0|99.9%|");
    EXPECT_EQ(rows[99], "|100|s100.roi|converted|1|100|100.0%|");
    EXPECT_NE(page.find("<a href=\"#set-3\" title=\"/study/s3.roi\">s3.roi</a>"), std::string::npos);
    // A set with an empty VOI or a ROI partly outside its grid is marked like a problem set.
    const std::size_t third = page.find("<a href=\"#set-3\">3</a>");
    const std::size_t fourth = page.find("<a href=\"#set-4\">4</a>");
    ASSERT_NE(third, std::string::npos);
    ASSERT_NE(fourth, std::string::npos);
    EXPECT_EQ(page.rfind("<tr", third), page.rfind("<tr class=\"attention\">", third));
    EXPECT_NE(page.rfind("<tr", fourth), page.rfind("<tr class=\"attention\">", fourth));
    EXPECT_NE(page.find("Coverage is the share of a ROI's voxels that lie inside its functional grid"), std::string::npos);
    EXPECT_NE(test::sectionOf(page, 3).find("<td class=\"num\">99.9%</td>"), std::string::npos);
    EXPECT_NE(test::sectionOf(page, 3).find("<td class=\"num\">n/a</td>"), std::string::npos);
}

// Every file a set produced is linked relative to the report's folder, its bytes escaped as
// an address needs; a dry run links nothing, and a path with no relative way is plain text.
TEST(ReportPage, OutputFilesAreLinkedRelativeToTheReportFolder) {
    const auto pageOf = [](bool dryRun, const std::string& folder) {
        ReportBuilder builder("list.txt", "1.0", dryRun);
        builder.setFolder(folder);
        FileSet files;
        files.roiPath = "/data/study/sub 1/s1.roi";
        builder.startSet(files);
        builder.setOutputPath("/data/study/sub 1/s1_TAL_.voi");
        builder.setOutputFiles({"/data/study/sub 1/s1_TAL_.nii.gz", "/data/study/sub 1/s1_TAL_#.json"});
        builder.finishSet(SetOutcome::converted);
        return renderPage(builder.model());
    };
    const std::string page = pageOf(false, "/data/report");
    const std::string section = test::sectionOf(page, 1);
    EXPECT_NE(section.find("<a class=\"path\" href=\"../study/sub%201/s1_TAL_.voi\">/data/study/sub 1/s1_TAL_.voi</a>"),
              std::string::npos)
        << section;
    EXPECT_NE(section.find("href=\"../study/sub%201/s1_TAL_.nii.gz\""), std::string::npos) << section;
    EXPECT_NE(section.find("href=\"../study/sub%201/s1_TAL_%23.json\""), std::string::npos) << section;
    EXPECT_EQ(section.find("href=\"/"), std::string::npos) << "no absolute link";
    // A folder given with a trailing separator links the same.
    EXPECT_NE(test::sectionOf(pageOf(false, "/data/report/"), 1).find("href=\"../study/sub%201/s1_TAL_.voi\""),
              std::string::npos);
    // Deeper report folder.
    EXPECT_NE(test::sectionOf(pageOf(false, "/data/qc/report"), 1).find("href=\"../../study/sub%201/s1_TAL_.voi\""),
              std::string::npos);
    // A dry run wrote nothing: the .voi it would write is named, not linked.
    const std::string dry = test::sectionOf(pageOf(true, "/data/report"), 1);
    EXPECT_EQ(dry.find("s1_TAL_.voi\""), std::string::npos) << dry;
    EXPECT_NE(dry.find("<span class=\"path\">/data/study/sub 1/s1_TAL_.voi</span>"), std::string::npos) << dry;
}

}  // namespace
}  // namespace zandrel::report
