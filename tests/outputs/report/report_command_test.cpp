// `zandrel convert LIST --report DIR` run as a program: every set with its outcome, every
// VOI with its voxel count as the .voi file has it, every picture a valid PNG of the stated
// size, the dry run's report, and a refused folder that converts nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "outputs/report/report_page.h"
#include "png_read.h"
#include "report_fixture.h"
#include "voi/voi_reader.h"

namespace zandrel::report {
namespace {

namespace fs = std::filesystem;
using test::MixedStudy;
using test::TempDir;

const char* const kOutcomes[] = {"converted", "reported", "failed", "failed", "converted"};

std::string voiPathOf(const studygen::SubjectFiles& files) {
    const std::string stem = files.roi.substr(0, files.roi.rfind('.'));
    return stem + (files.tal.empty() ? "_ACPC_.voi" : "_TAL_.voi");
}

TEST(ReportCommand, NamesEverySetWithItsOutcomeAndEveryVoiWithItsVoxelCount) {
    TempDir dir;
    const MixedStudy mixed(dir);
    EXPECT_EQ(mixed.run.status, 1) << mixed.run.err;
    const std::string page = mixed.page();
    EXPECT_NE(page.find("5 found, 2 converted, 1 reported, 2 failed"), std::string::npos);
    // The console's summary counts the same and says where the page is.
    const std::string summary = "zandrel convert: 2 converted, 1 reported, 2 failed; report in " + mixed.reportDir + "/index.html\n";
    EXPECT_EQ(mixed.run.err, summary);

    for (std::size_t s = 0; s < 5; ++s) {
        const std::string section = test::sectionOf(page, s + 1);
        ASSERT_FALSE(section.empty()) << "set " << s + 1;
        EXPECT_NE(section.find(std::string("outcome ") + kOutcomes[s]), std::string::npos) << "set " << s + 1;
        EXPECT_NE(section.find(escapeHtml(mixed.study.subjects[s].roi)), std::string::npos) << "set " << s + 1;
        if (std::string(kOutcomes[s]) != "converted") continue;
        // The counts of the page are those of the file the conversion saved.
        const VoiFileReading saved = readVoiFile(voiPathOf(mixed.study.subjects[s]));
        ASSERT_EQ(saved.file.vois.size(), 2u) << "set " << s + 1;
        for (const Voi& voi : saved.file.vois) {
            EXPECT_GT(voi.voxels.size(), 0u) << "set " << s + 1;
            const std::size_t at = section.find("<tr><td>" + voi.NameOfVOI.value + "</td>");
            ASSERT_NE(at, std::string::npos) << "set " << s + 1 << " " << voi.NameOfVOI.value;
            const std::string row = section.substr(at, section.find("</tr>", at) - at);
            const std::string count = "<td class=\"num\">" + std::to_string(voi.voxels.size()) + "</td>";
            EXPECT_EQ(row.find(count), row.find("<td class=\"num\">")) << row;
        }
    }
    // The reported and the failed set say why, with the entries the console printed.
    EXPECT_NE(test::sectionOf(page, 2).find("IA.trf could not be loaded: "), std::string::npos);
    EXPECT_NE(test::sectionOf(page, 3).find("!!!! Could not convert "), std::string::npos);
    EXPECT_NE(test::sectionOf(page, 4).find("Failed opening STC for reading: "), std::string::npos);
    EXPECT_NE(mixed.run.out.find("!!!! Could not convert "), std::string::npos);
}

TEST(ReportCommand, EveryPictureExistsAndIsAPngOfTheStatedSize) {
    TempDir dir;
    const MixedStudy mixed(dir);
    const std::string page = mixed.page();
    const std::vector<test::PageImage> images = test::imagesOf(page);
    // Sets 1 and 5 have pictures: 2 VOIs each, one figure per VOI.
    ASSERT_EQ(images.size(), 4u);
    for (const test::PageImage& image : images) {
        const test::PngPicture png = test::readPng(mixed.reportDir + "/" + image.src);
        ASSERT_TRUE(png.valid) << image.src;
        EXPECT_EQ(png.width, image.width) << image.src;
        EXPECT_EQ(png.height, image.height) << image.src;
        EXPECT_FALSE(image.alt.empty()) << image.src;
    }
    for (const std::size_t s : {1, 5}) {
        const std::string section = test::sectionOf(page, s);
        EXPECT_NE(section.find("<img src=\"set-00" + std::to_string(s) + "-voi-02.png\""), std::string::npos) << s;
        EXPECT_EQ(section.find("No pictures"), std::string::npos) << s;
    }
    // Only the page, the pictures and the marker are left: no temporary file.
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(mixed.reportDir)) {
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
        ++files;
    }
    EXPECT_EQ(files, images.size() + 2);
}

TEST(ReportCommand, DryRunReportsOutcomesWithoutPictures) {
    TempDir dir;
    const MixedStudy mixed(dir, {"--dry-run"});
    EXPECT_EQ(mixed.run.status, 1) << mixed.run.err;
    const std::string page = mixed.page();
    EXPECT_NE(page.find("Zandrel batch report (dry run)"), std::string::npos);
    for (std::size_t s = 0; s < 5; ++s) {
        EXPECT_NE(test::sectionOf(page, s + 1).find(std::string("outcome ") + kOutcomes[s]), std::string::npos)
            << "set " << s + 1;
        EXPECT_FALSE(fs::exists(voiPathOf(mixed.study.subjects[s]))) << "set " << s + 1;
    }
    EXPECT_NE(test::sectionOf(page, 1).find("Dry run: no VOIs were built."), std::string::npos);
    EXPECT_TRUE(test::imagesOf(page).empty());
}

TEST(ReportCommand, RefusedFolderExitsTwoAndConvertsNothing) {
    TempDir dir;
    fs::create_directories(dir.file("report"));
    dir.write("report/notes.txt", "mine");
    const MixedStudy mixed(dir);
    EXPECT_EQ(mixed.run.status, 2);
    EXPECT_NE(mixed.run.err.find("holds files that are not a zandrel report"), std::string::npos) << mixed.run.err;
    EXPECT_EQ(mixed.run.out, "");
    EXPECT_FALSE(fs::exists(voiPathOf(mixed.study.subjects[0])));
    EXPECT_EQ(test::readText(dir.file("report/notes.txt")), "mine");
    EXPECT_FALSE(fs::exists(dir.file("report/index.html")));
}

TEST(ReportCommand, AnEarlierReportIsReplaced) {
    TempDir dir;
    const MixedStudy first(dir);
    ASSERT_TRUE(fs::exists(first.reportDir + "/index.html"));
    // The second run, without time-course data for set 1, leaves none of set 1's pictures.
    fs::remove(first.study.subjects[0].stc);
    const test::ProgramRun again =
        test::runZandrel(dir, {"convert", first.study.listPath, "--report", first.reportDir});
    EXPECT_EQ(again.status, 1) << again.err;
    EXPECT_EQ(test::imagesOf(first.page()).size(), 2u);
    for (const auto& entry : fs::directory_iterator(first.reportDir))
        EXPECT_NE(entry.path().filename().string().rfind("set-001-", 0), 0u) << entry.path();
    EXPECT_TRUE(fs::exists(first.reportDir + "/set-005-voi-01.png"));
}

// A figure that cannot be written while the batch runs (its name is taken by a folder)
// fails the report, not the conversion: its set gets a note, earlier sets keep
// their figures, and the exit status says the report is incomplete.
TEST(ReportCommand, AFigureThatCannotBeWrittenFailsTheReportNotTheBatch) {
    TempDir dir;
    const MixedStudy first(dir);
    ASSERT_TRUE(fs::exists(first.reportDir + "/set-005-voi-01.png"));
    fs::remove(first.reportDir + "/set-005-voi-01.png");
    fs::create_directory(first.reportDir + "/set-005-voi-01.png");
    const test::ProgramRun again =
        test::runZandrel(dir, {"convert", first.study.listPath, "--report", first.reportDir});
    EXPECT_EQ(again.status, 1) << again.err;
    EXPECT_NE(again.err.find("the report could not be written completely"), std::string::npos) << again.err;
    const std::string page = first.page();
    EXPECT_NE(test::sectionOf(page, 1).find("<img src=\"set-001-voi-01.png\""), std::string::npos);
    EXPECT_NE(test::sectionOf(page, 5).find("No pictures: the report could not be written ("),
              std::string::npos)
        << test::sectionOf(page, 5);
    EXPECT_EQ(test::sectionOf(page, 5).find("<img"), std::string::npos);
    EXPECT_TRUE(fs::exists(voiPathOf(first.study.subjects[4]))) << "the set itself converts";
}

TEST(ReportCommand, EscapesNamesFromFiles) {
    TempDir dir;
    const MixedStudy mixed(dir, {}, "a<b>&'\"c");
    const std::string page = mixed.page();
    EXPECT_EQ(page.find("a<b>"), std::string::npos);
    EXPECT_NE(page.find("a&lt;b&gt;&amp;&#39;&quot;c"), std::string::npos);
    EXPECT_EQ(test::imagesOf(page).size(), 4u);
}

}  // namespace
}  // namespace zandrel::report
