// The page of a report: every set with its outcome, every VOI with its figures, every
// picture a valid PNG of the stated size, and no text from a file left unescaped.
#include <gtest/gtest.h>

#include <string>

#include "cli/report/report_builder.h"
#include "cli/report/report_page.h"
#include "cli/report/report_writer.h"
#include "cli/report/set_pictures.h"
#include "png_read.h"
#include "report_fixture.h"

namespace zandrel::report {
namespace {

using test::MixedStudy;
using test::TempDir;

TEST(ReportPage, NamesEverySetWithItsOutcomeAndEveryVoiWithItsVoxelCount) {
    TempDir dir;
    const MixedStudy mixed(dir);
    writeReport(dir.file("report"), mixed.model);
    const std::string page = test::readText(dir.file("report/index.html"));

    EXPECT_NE(page.find("4 found, 2 converted, 1 reported, 1 failed"), std::string::npos);
    EXPECT_NE(page.find("zandrel 9.9.9"), std::string::npos);
    const ReportOutcome expected[] = {ReportOutcome::converted, ReportOutcome::reported, ReportOutcome::failed,
                                      ReportOutcome::converted};
    ASSERT_EQ(mixed.model.sets.size(), 4u);
    for (std::size_t s = 0; s < 4; ++s) {
        const ReportSet& set = mixed.model.sets[s];
        const std::string section = test::sectionOf(page, s + 1);
        ASSERT_FALSE(section.empty()) << "set " << s + 1;
        EXPECT_EQ(set.outcome, expected[s]) << "set " << s + 1;
        EXPECT_NE(section.find(std::string("outcome ") + outcomeWord(expected[s])), std::string::npos) << "set " << s + 1;
        EXPECT_NE(section.find(escapeHtml(set.files.roiPath)), std::string::npos) << "set " << s + 1;
        for (const std::string& entry : set.logEntries)
            EXPECT_NE(section.find(escapeHtml(entry)), std::string::npos) << "set " << s + 1 << " entry " << entry;
        if (!set.voiFile) continue;
        ASSERT_EQ(set.voiFile->vois.size(), 2u) << "set " << s + 1;
        for (const Voi& voi : set.voiFile->vois) {
            EXPECT_GT(voi.voxels.size(), 0u) << "set " << s + 1;
            const std::size_t at = section.find("<tr><td>" + voi.NameOfVOI.value + "</td>");
            ASSERT_NE(at, std::string::npos) << "set " << s + 1 << " " << voi.NameOfVOI.value;
            const std::string row = section.substr(at, section.find("</tr>", at) - at);
            const std::string count = "<td class=\"num\">" + std::to_string(voi.voxels.size()) + "</td>";
            EXPECT_EQ(row.find(count), row.find("<td class=\"num\">")) << row;
        }
    }
    // The reported and the failed set say why.
    EXPECT_NE(test::sectionOf(page, 2).find("IA.trf could not be loaded: "), std::string::npos);
    EXPECT_NE(test::sectionOf(page, 3).find("!!!! Could not convert "), std::string::npos);
}

TEST(ReportPage, ProblemSetsComeFirstInTheOverview) {
    TempDir dir;
    const MixedStudy mixed(dir);
    const std::string page = renderPage(mixed.model, std::vector<SetPage>(mixed.model.sets.size()));
    const std::size_t table = page.find("<h2>Sets</h2>");
    std::vector<std::size_t> at;
    for (const char* link : {"href=\"#set-3\"", "href=\"#set-2\"", "href=\"#set-1\"", "href=\"#set-4\""})
        at.push_back(page.find(link, table));
    for (std::size_t n = 0; n + 1 < at.size(); ++n) {
        ASSERT_NE(at[n], std::string::npos) << "link " << n;
        EXPECT_LT(at[n], at[n + 1]) << "overview order at position " << n;
    }
}

TEST(ReportPictures, EveryPictureExistsAndIsAPngOfTheStatedSize) {
    TempDir dir;
    const MixedStudy mixed(dir);
    writeReport(dir.file("report"), mixed.model);
    const std::string page = test::readText(dir.file("report/index.html"));
    const std::vector<test::PageImage> images = test::imagesOf(page);
    // Set 1 alone has pictures: 2 VOIs, three cuts and one functional slice each.
    ASSERT_EQ(images.size(), 8u);
    for (const test::PageImage& image : images) {
        const test::PngPicture png = test::readPng(dir.file("report/" + image.src));
        ASSERT_TRUE(png.valid) << image.src;
        EXPECT_EQ(png.width, image.width) << image.src;
        EXPECT_EQ(png.height, image.height) << image.src;
        EXPECT_FALSE(image.alt.empty()) << image.src;
    }
    EXPECT_EQ(images[0].src, pictureNames(0, 0)[0]);
    // The set without time-course data keeps its table and says why it has no picture.
    const std::string fourth = test::sectionOf(page, 4);
    EXPECT_NE(fourth.find("<th>Voxels shared with another VOI</th>"), std::string::npos);
    EXPECT_NE(fourth.find("No pictures: Failed opening STC for reading: "), std::string::npos);
    // No temporary file is left behind.
    for (const auto& entry : std::filesystem::directory_iterator(dir.file("report")))
        EXPECT_NE(entry.path().extension(), ".part") << entry.path();
}

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
    VoiFile file;
    Voi voi;
    voi.NameOfVOI.value = "VOI <i>" + hostile;
    voi.voxels = {{1, 2, 3}};
    file.vois.push_back(voi);
    file.ReferenceSpace.value = "<ACPC>";
    builder.setBuilt(file, {0}, SetRecords{});
    builder.finishSet(ReportOutcome::converted);
    builder.finishBatch();
    SetPage setPage;
    setPage.pictures = {{{"a\".png", 1, 1, "alt " + hostile, "caption " + hostile}}};
    setPage.pictureNote = "note " + hostile;
    const std::string page = renderPage(builder.model(), {setPage});

    for (const char* raw : {"<script", "<img src=x", "<i>", "<b>", "</li><img", "<ACPC>", "a\".png", "'x'"})
        EXPECT_EQ(page.find(raw), std::string::npos) << raw;
    EXPECT_NE(page.find("&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;&quot;&amp;"), std::string::npos);
    EXPECT_EQ(escapeHtml("a<b>&\"'c"), "a&lt;b&gt;&amp;&quot;&#39;c");
}

TEST(ReportBuilder, SortsEventsIntoSetsAndCountsOutcomes) {
    ReportBuilder builder("list.txt", "1.0", true);
    builder.addLogEntry("batch entry");
    const ReportOutcome outcomes[] = {ReportOutcome::failed, ReportOutcome::converted, ReportOutcome::reported,
                                      ReportOutcome::converted};
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
    const OutcomeCounts counts = countOutcomes(model);
    EXPECT_EQ(counts.found, 4);
    EXPECT_EQ(counts.converted, 2);
    EXPECT_EQ(counts.reported, 1);
    EXPECT_EQ(counts.failed, 1);
    EXPECT_TRUE(model.dryRun);
    EXPECT_GE(model.totalSeconds, 0.0);
    // A dry run builds no VOIs: its converted sets say so instead of showing a table.
    const std::string page = renderPage(model, std::vector<SetPage>(4));
    EXPECT_NE(page.find("Zandrel batch report (dry run)"), std::string::npos);
    EXPECT_NE(test::sectionOf(page, 2).find("Dry run: no VOIs were built."), std::string::npos);
    EXPECT_EQ(test::sectionOf(page, 1).find("Dry run: no VOIs were built."), std::string::npos);
}

}  // namespace
}  // namespace zandrel::report
