#include "cli/report/report_writer.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <new>
#include <stdexcept>

#include "cli/report/report_folder.h"
#include "cli/report/report_page.h"
#include "cli/report/set_pictures.h"

namespace zandrel::report {

namespace {

void writeText(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".part";
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("Cannot Create file: " + path);
    out << text;
    out.close();
    std::error_code error;
    if (out) std::filesystem::rename(temporary, path, error);
    if (!out || error) {
        std::filesystem::remove(temporary, error);
        throw std::runtime_error("Cannot write file: " + path);
    }
}

double pointEdgeOf(const ReportSet& set) {
    // The ACPC and Talairach grids are 1 mm; the native grid has the anatomical voxel size.
    if (set.voiFile->ReferenceSpace.value == "GF" && set.records && set.records->ia.ToVMRVoxelRes.present)
        return set.records->ia.ToVMRVoxelRes.value;
    return 1.0;
}

}  // namespace

void prepareReportFolder(const std::string& dir) { ReportFolder folder(dir); }

void writeReport(const std::string& dir, const ReportModel& model, const ReportOptions& options) {
    ReportFolder folder(dir);
    std::vector<std::string> names = {"index.html"};
    for (std::size_t s = 0; s < model.sets.size(); ++s) {
        const ReportSet& set = model.sets[s];
        if (!set.voiFile || !set.records) continue;
        for (std::size_t v = 0; v < set.voiFile->vois.size(); ++v)
            for (const std::string& name : pictureNames(s, v)) names.push_back(name);
    }
    folder.plan(names);

    const auto store = [&](const std::string& name, const RgbImage& image) {
        writePng(folder.pathOf(name), image);
        folder.written(name);
    };
    std::vector<SetPage> pages(model.sets.size());
    for (std::size_t s = 0; s < model.sets.size(); ++s) {
        const ReportSet& set = model.sets[s];
        if (!set.voiFile) continue;
        pages[s].figures = computeVoiFigures(*set.voiFile, pointEdgeOf(set));
        if (!set.records) continue;
        try {
            pages[s].pictures = drawSetPictures(s, set, options.sampledVolumes, store);
        } catch (const std::bad_alloc&) {
            pages[s].pictureNote = "No pictures: not enough memory to draw them.";
        } catch (const std::exception& error) {
            pages[s].pictureNote = std::string("No pictures: ") + error.what();
        }
    }
    writeText(folder.pathOf("index.html"), renderPage(model, pages));
    folder.written("index.html");
    folder.commit();
}

}  // namespace zandrel::report
