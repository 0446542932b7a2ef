// The report folder: a report replaces its own earlier report and nothing else.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>

#include "outputs/report/report_folder.h"
#include "outputs/report/report_writer.h"
#include "report_fixture.h"

namespace zandrel::report {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::set<std::string> filesIn(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename().string());
    return names;
}

// A model of one set with one empty VOI and no pictures, or of no set at all.
ReportModel smallModel(bool withSet) {
    ReportModel model;
    model.listPath = "list.txt";
    if (!withSet) return model;
    ReportSet set;
    set.outcome = SetOutcome::converted;
    set.built = true;
    model.sets.push_back(set);
    return model;
}

void writeModel(const std::string& dir, const ReportModel& model) { ReportWriter(dir).finish(model); }

test::ProgramRun reportOf(const TempDir& dir, const std::string& listPath) {
    return test::runZandrel(dir, {"convert", listPath, "--report", dir.file("report")});
}

TEST(ReportFolder, ReplacesItsOwnReportAndKeepsForeignFiles) {
    TempDir dir;
    const test::MixedStudy mixed(dir);
    const std::string report = mixed.reportDir;
    const std::set<std::string> first = filesIn(report);
    EXPECT_EQ(first.size(), 1u + 4u + 1u) << "index, figures, marker";
    // A file the user puts beside the report stays through every later report.
    dir.write("report/my notes.txt", "keep me");

    writeModel(report, smallModel(true));
    EXPECT_EQ(filesIn(report), (std::set<std::string>{"index.html", "my notes.txt", ReportFolder::kMarkerName}));
    EXPECT_EQ(test::readText(dir.file("report/my notes.txt")), "keep me");
    EXPECT_EQ(test::readText(dir.file("report/index.html")).find("set-001-voi"), std::string::npos);

    EXPECT_EQ(reportOf(dir, mixed.study.listPath).status, 1);
    std::set<std::string> again = first;
    again.insert("my notes.txt");
    EXPECT_EQ(filesIn(report), again);
}

TEST(ReportFolder, RefusesFoldersThatAreNotItsOwn) {
    struct Case {
        const char* name;
        void (*prepare)(const TempDir&);
    };
    const Case cases[] = {
        {"files without a marker",
         [](const TempDir& d) { d.write("report/index.html", "someone else's page"); }},
        {"a marker written by someone else",
         [](const TempDir& d) {
             d.write("report/index.html", "someone else's page");
             d.write(std::string("report/") + ReportFolder::kMarkerName, "index.html\n");
         }},
        {"a picture name not listed in the marker",
         [](const TempDir& d) {
             writeModel(d.file("report"), smallModel(false));
             d.write("report/set-001-voi-01.png", "a picture of the user's");
         }},
        {"a path that is a file", [](const TempDir& d) { d.write("report", "a file"); }},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const studygen::GeneratedStudy study = studygen::writeStudy(dir.file("study"), studygen::testStudyPlan(1, 11));
        if (std::string(c.name) != "a path that is a file") fs::create_directories(dir.file("report"));
        c.prepare(dir);
        const std::set<std::string> before = fs::is_directory(dir.file("report")) ? filesIn(dir.file("report")) : std::set<std::string>{};
        const std::string index = fs::is_directory(dir.file("report")) ? test::readText(dir.file("report/index.html")) : "";
        const bool laterRefusal = std::string(c.name) == "a picture name not listed in the marker";
        if (!laterRefusal) {
            EXPECT_THROW(ReportWriter{dir.file("report")}, std::runtime_error) << c.name;
        }
        // A folder refused before the batch converts nothing (exit 2); a picture refused
        // during it leaves the conversion and fails the report (exit 1).
        const test::ProgramRun run = reportOf(dir, study.listPath);
        EXPECT_EQ(run.status, laterRefusal ? 1 : 2) << c.name << ": " << run.err;
        EXPECT_NE(run.err.find(laterRefusal ? "the report could not be written completely" : "zandrel convert: "),
                  std::string::npos) << c.name << ": " << run.err;
        EXPECT_EQ(fs::exists(study.root + "/subject1/s1_TAL_.voi") || fs::exists(study.root + "/subject1/s1_ACPC_.voi"),
                  laterRefusal) << c.name;
        if (laterRefusal) {
            EXPECT_EQ(test::readText(dir.file("report/set-001-voi-01.png")), "a picture of the user's");
            continue;
        }
        if (!fs::is_directory(dir.file("report"))) continue;
        EXPECT_EQ(filesIn(dir.file("report")), before) << c.name;
        EXPECT_EQ(test::readText(dir.file("report/index.html")), index) << c.name;
    }
}

TEST(ReportFolder, MarkerEntriesCannotReachOutsideTheFolder) {
    TempDir dir;
    writeModel(dir.file("report"), smallModel(false));
    const std::string outside = dir.write("outside.txt", "not the report's");
    const std::string marker = dir.file(std::string("report/") + ReportFolder::kMarkerName);
    dir.write(std::string("report/") + ReportFolder::kMarkerName,
              test::readText(marker) + "../outside.txt\n" + outside + "\n.\n..\n");
    writeModel(dir.file("report"), smallModel(false));
    EXPECT_EQ(test::readText(outside), "not the report's");
    EXPECT_EQ(filesIn(dir.file("report")), (std::set<std::string>{"index.html", ReportFolder::kMarkerName}));
}

TEST(ReportFolder, PlainNames) {
    for (const char* name : {"index.html", "set-001-voi-01-axial.png", "a b.png"}) EXPECT_TRUE(isPlainName(name)) << name;
    for (const char* name : {"", ".", "..", "../x", "a/b", "a\\b", "c:x", ReportFolder::kMarkerName})
        EXPECT_FALSE(isPlainName(name)) << name;
}

}  // namespace
}  // namespace zandrel::report
