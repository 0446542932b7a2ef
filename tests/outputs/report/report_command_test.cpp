// `zandrel convert LIST --report DIR` run as a program: every set with its outcome, every
// VOI with its voxel count as the .voi file has it, every picture a valid PNG of the stated
// size, the dry run's report, and a refused folder that converts nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "label_check.h"
#include "outputs/report/report_page.h"
#include "outputs/report/voi_pictures.h"
#include "png_read.h"
#include "zandrel/build_features.h"
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
        // Three cuts and a functional slice, each at least 256 pixels on its long side.
        EXPECT_GE(png.width, 4 * report::kLeastPanelSide) << image.src;
        EXPECT_GE(png.height, report::kLeastPanelSide) << image.src;
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

// Every cut of an anatomical space carries its title and the direction each edge faces;
// the functional slice its number. Read from the PNG files, pixel by pixel.
TEST(ReportCommand, EveryPanelCarriesItsTitleAndEveryCutItsDirections) {
    TempDir dir;
    const MixedStudy mixed(dir);
    const std::string page = mixed.page();
    using report::kCutSize;
    using report::kFigureGap;
    using report::kLabelMargin;
    using report::kLabelScale;
    const std::int32_t w = report::textWidth("M", kLabelScale);
    const std::int32_t h = report::textHeight(kLabelScale);
    const char* const titles[] = {"Sagittal", "Coronal", "Axial"};
    const char* const letters[] = {"APSI", "RLSI", "RLAP"};  // left, right, top, bottom
    std::size_t figures = 0;
    for (const test::PageImage& image : test::imagesOf(page)) {
        const test::PngPicture png = test::readPng(mixed.reportDir + "/" + image.src);
        ASSERT_TRUE(png.valid) << image.src;
        ++figures;
        for (std::int32_t panel = 0; panel < 3; ++panel) {
            const std::int32_t x = kFigureGap + panel * (kCutSize + kFigureGap);
            const std::int32_t y = kFigureGap;
            const std::string edge = letters[panel];
            const std::string where = image.src + " panel " + std::to_string(panel);
            EXPECT_EQ(test::labelFault(png, x + kLabelMargin, y + kLabelMargin, titles[panel]), "") << where;
            EXPECT_EQ(test::labelFault(png, x + kLabelMargin, y + (kCutSize - h) / 2, edge.substr(0, 1)), "") << where;
            EXPECT_EQ(test::labelFault(png, x + kCutSize - kLabelMargin - w, y + (kCutSize - h) / 2, edge.substr(1, 1)), "")
                << where;
            EXPECT_EQ(test::labelFault(png, x + (kCutSize - w) / 2, y + kLabelMargin, edge.substr(2, 1)), "") << where;
            EXPECT_EQ(test::labelFault(png, x + (kCutSize - w) / 2, y + kCutSize - kLabelMargin - h, edge.substr(3, 1)), "")
                << where;
        }
        // The functional slice's number, as its caption names it.
        const std::size_t at = page.find("Functional slice ", page.find("<img src=\"" + image.src));
        ASSERT_NE(at, std::string::npos) << image.src;
        const std::string slice = page.substr(at + 17, page.find(' ', at + 17) - at - 17);
        EXPECT_EQ(test::labelFault(png, 3 * (kCutSize + kFigureGap) + kFigureGap + kLabelMargin, kFigureGap + kLabelMargin,
                                   "Slice " + slice),
                  "")
            << image.src;
    }
    EXPECT_EQ(figures, 4u);
}

std::string decodedLink(const std::string& link) {
    std::string text;
    for (std::size_t n = 0; n < link.size(); ++n) {
        if (link[n] == '%' && n + 2 < link.size()) {
            text += static_cast<char>(std::stoi(link.substr(n + 1, 2), nullptr, 16));
            n += 2;
        } else {
            text += link[n];
        }
    }
    return text;
}

// Every link of the page that leaves it, decoded; fails the test for one that is absolute.
std::vector<std::string> fileLinksOf(const std::string& page) {
    static const std::regex href(R"re(href="([^"]*)")re");
    std::vector<std::string> links;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), href); it != std::sregex_iterator(); ++it) {
        const std::string link = (*it)[1];
        if (link.rfind("#", 0) == 0) {
            EXPECT_NE(page.find("id=\"" + link.substr(1) + "\""), std::string::npos) << link;
            continue;
        }
        EXPECT_EQ(link.find(':'), std::string::npos) << "not relative: " << link;
        EXPECT_NE(link.front(), '/') << "not relative: " << link;
        links.push_back(decodedLink(link));
    }
    return links;
}

// Each converted set's section links the files it produced, relative to the report's
// folder: every link names an existing file, before and after the study and the report are
// moved together to another folder.
TEST(ReportCommand, EveryLinkResolvesAlsoAfterMovingTheReportWithTheData) {
    TempDir dir;
    std::vector<std::string> extra;
    if (ZANDREL_WITH_NIFTI) extra.push_back("--nifti");
    const MixedStudy mixed(dir, extra);
    const std::string page = mixed.page();
    const std::vector<std::string> links = fileLinksOf(page);
    // Sets 1 and 5: the .voi, and with NIfTI output its image, table and sidecar.
    ASSERT_EQ(links.size(), ZANDREL_WITH_NIFTI ? 8u : 2u) << page;
    for (const std::size_t s : {1, 5}) {
        const std::string section = test::sectionOf(page, s);
        const std::string voi = fs::path(voiPathOf(mixed.study.subjects[s - 1])).filename().string();
        EXPECT_NE(section.find(voi + "\">"), std::string::npos) << section;
        if (ZANDREL_WITH_NIFTI) {
            const std::string stem = voi.substr(0, voi.size() - 4);
            for (const std::string& file : {stem + ".nii.gz", stem + ".tsv", stem + ".json"})
                EXPECT_NE(section.find(file + "\">"), std::string::npos) << file;
        }
    }
    for (const std::string& link : links) EXPECT_TRUE(fs::is_regular_file(fs::path(mixed.reportDir) / link)) << link;

    fs::create_directory(dir.file("moved"));
    fs::rename(dir.file("study"), dir.file("moved/study"));
    fs::rename(mixed.reportDir, dir.file("moved/report"));
    for (const std::string& link : links)
        EXPECT_TRUE(fs::is_regular_file(fs::path(dir.file("moved/report")) / link)) << "after the move: " << link;
}

}  // namespace
}  // namespace zandrel::report
