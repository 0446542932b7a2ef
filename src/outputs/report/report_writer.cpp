#include "outputs/report/report_writer.h"

#include <exception>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <utility>

#include "io/output_file.h"
#include "outputs/report/report_page.h"
#include "outputs/report/set_pictures.h"
#include "voi/voi_figures.h"
#include "voi/voi_space.h"

namespace zandrel::report {

namespace {

// A picture that could not be written: a fault of the report, not of the set.
class StoreFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace

ReportWriter::ReportWriter(const std::string& dir, ReportOptions options)
    : folder_(dir), options_(options), jobs_(options.drawingThreads) {
    // The page's own name is checked now, so a folder that cannot take it is refused
    // before the batch starts.
    folder_.plan({"index.html"});
}

void ReportWriter::addSet(std::size_t setIndex, const ConvertedSet& set) {
    std::vector<std::string> names;
    for (std::size_t v = 0; v < set.voiFile.vois.size(); ++v) names.push_back(figureName(setIndex, v));
    folder_.plan(names);
    auto pending = std::make_unique<Pending>();
    pending->setIndex = setIndex;
    pending->set = std::make_unique<ConvertedSet>(set);
    Pending& job = *pending;
    pending_.push_back(std::move(pending));
    try {
        jobs_.submit([this, &job] { draw(job); });
    } catch (...) {
        pending_.pop_back();  // never handed out: nobody draws it
        throw;
    }
}

std::string ReportWriter::failure() const {
    std::lock_guard<std::mutex> lock(failureMutex_);
    return failure_;
}

void ReportWriter::fail(const std::string& why) {
    std::lock_guard<std::mutex> lock(failureMutex_);
    if (failure_.empty()) failure_ = why;
    failed_ = true;
}

void ReportWriter::draw(Pending& pending) {
    try {
        pending.result.rows = voiRowsOf(*pending.set);
    } catch (const std::exception& error) {
        pending.result.note = std::string("No figures and no pictures: ") + error.what();
        pending.set.reset();
        return;
    }
    const auto unwritable = [this] { return "No pictures: the report could not be written (" + failure() + ")."; };
    if (failed_) {
        pending.result.note = unwritable();
        pending.set.reset();
        return;
    }
    const auto store = [&](const std::string& name, const RgbImage& image) {
        try {
            writePng(folder_.pathOf(name), image);
        } catch (const std::runtime_error& error) {
            throw StoreFailure(error.what());
        }
        pending.written.push_back(name);
    };
    try {
        pending.result.pictures = drawSetPictures(pending.setIndex, *pending.set, options_.sampledVolumes, store);
    } catch (const StoreFailure& error) {
        fail(error.what());
        pending.result.pictures.clear();
        pending.result.note = unwritable();
    } catch (const std::bad_alloc&) {
        pending.result.note = "No pictures: not enough memory to draw them.";
    } catch (const std::exception& error) {
        pending.result.note = std::string("No pictures: ") + error.what();
    }
    pending.set.reset();
}

std::vector<std::pair<std::size_t, DrawnSet>> ReportWriter::collect() {
    jobs_.wait();
    std::vector<std::pair<std::size_t, DrawnSet>> results;
    results.reserve(pending_.size());
    for (const std::unique_ptr<Pending>& pending : pending_) {
        for (const std::string& name : pending->written) folder_.written(name);
        results.emplace_back(pending->setIndex, std::move(pending->result));
    }
    pending_.clear();
    return results;
}

void ReportWriter::finish(const ReportModel& model) {
    writeWholeFile(folder_.pathOf("index.html"), renderPage(model), "html");
    folder_.written("index.html");
    folder_.commit();
}

std::vector<VoiRow> voiRowsOf(const ConvertedSet& set) {
    const VoiFile& file = set.voiFile;
    // The builder knows the form of its triples: Talairach millimetres or grid indices.
    const VoiPlacement placement = placeVoiFile(file, set.chain.talairachForm);
    const std::vector<VoiFigures> figures = computeVoiFigures(collectVoiCells(file, placement), placement);
    std::vector<VoiRow> rows(file.vois.size());
    for (std::size_t v = 0; v < rows.size(); ++v) {
        const Voi& voi = file.vois[v];
        rows[v].name = voi.NameOfVOI.value;
        rows[v].colour = {{voi.red, voi.green, voi.blue}};
        rows[v].figures = figures[v];
        if (v < set.build.skippedVoxels.size()) rows[v].skippedVoxels = set.build.skippedVoxels[v];
        if (v < set.records.roi.plots.size())
            rows[v].roiVoxels = static_cast<std::int64_t>(set.records.roi.plots[v].voxels.size());
    }
    return rows;
}

}  // namespace zandrel::report
