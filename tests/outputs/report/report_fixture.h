#pragma once

// A small generated study whose sets end in every outcome, converted by the real
// `zandrel convert --report`, and reading back what the report wrote.
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "generator/study_generator.h"
#include "program_run.h"
#include "study_fixture.h"
#include "temp_dir.h"

namespace zandrel::test {

inline ProgramRun runZandrel(const TempDir& dir, const std::vector<std::string>& args) {
    return runProgram(ZANDREL_EXECUTABLE, args, dir.path().string());
}

// Four sets: 1 converted, 2 reported (its IA file is gone), 3 failed (its functional grid
// has no columns), 4 failed (its time-course data is gone), 5 converted. `folder` is the
// study's folder name under the temporary folder (file names from it reach the page).
struct MixedStudy {
    studygen::GeneratedStudy study;
    std::string reportDir;
    ProgramRun run;

    MixedStudy(const TempDir& dir, const std::vector<std::string>& extra = {}, const std::string& folder = "study") {
        study = studygen::writeStudy(dir.file(folder), studygen::testStudyPlan(5, 11));
        std::filesystem::remove(study.subjects[1].ia);
        editFile(study.subjects[2].fmr, "ResolutionX:", "ResolutionX: 0\nIgnored:");
        std::filesystem::remove(study.subjects[3].stc);
        reportDir = dir.file("report");
        std::vector<std::string> args = {"convert", study.listPath, "--report", reportDir};
        args.insert(args.end(), extra.begin(), extra.end());
        run = runZandrel(dir, args);
    }
    std::string page() const;
};

inline std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string MixedStudy::page() const { return readText(reportDir + "/index.html"); }

struct PageImage {
    std::string src;
    int width = 0;
    int height = 0;
    std::string alt;
};

// Every <img> of a page this report wrote, with its attributes.
inline std::vector<PageImage> imagesOf(const std::string& page) {
    static const std::regex img(R"re(<img src="([^"]*)" width="(\d+)" height="(\d+)" alt="([^"]*)">)re");
    std::vector<PageImage> images;
    for (auto it = std::sregex_iterator(page.begin(), page.end(), img); it != std::sregex_iterator(); ++it)
        images.push_back({(*it)[1], std::stoi((*it)[2]), std::stoi((*it)[3]), (*it)[4]});
    return images;
}

// The part of the page from the section of set `number` (from 1) to the end of it.
inline std::string sectionOf(const std::string& page, std::size_t number) {
    const std::size_t start = page.find("<section class=\"set\" id=\"set-" + std::to_string(number) + "\">");
    if (start == std::string::npos) return std::string();
    return page.substr(start, page.find("</section>", start) - start);
}

}  // namespace zandrel::test
