#include "outputs/report/report_builder.h"

#include <ctime>
#include <utility>

namespace zandrel::report {

const char* outcomeWord(SetOutcome outcome) {
    switch (outcome) {
        case SetOutcome::converted: return "converted";
        case SetOutcome::reported: return "reported";
        case SetOutcome::failed: return "failed";
    }
    return "failed";
}

std::string formatUtcDate(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm parts{};
#ifdef _WIN32
    gmtime_s(&parts, &seconds);
#else
    gmtime_r(&seconds, &parts);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &parts);
    return text;
}

double roiCoverage(const VoiRow& row) {
    if (row.roiVoxels <= 0) return -1.0;
    return static_cast<double>(row.roiVoxels - row.skippedVoxels) / static_cast<double>(row.roiVoxels);
}

ReportBuilder::ReportBuilder(std::string listPath, std::string programVersion, bool dryRun)
    : started_(std::chrono::steady_clock::now()) {
    model_.listPath = std::move(listPath);
    model_.programVersion = std::move(programVersion);
    model_.dryRun = dryRun;
    model_.date = formatUtcDate(std::chrono::system_clock::now());
}

ReportSet* ReportBuilder::current() { return inSet_ ? &model_.sets.back() : nullptr; }

void ReportBuilder::startSet(const FileSet& files) {
    ReportSet set;
    set.files = files;
    model_.sets.push_back(std::move(set));
    inSet_ = true;
}

void ReportBuilder::addLogEntry(const std::string& entry) {
    if (ReportSet* set = current()) set->logEntries.push_back(entry);
    else model_.batchEntries.push_back(entry);
}

void ReportBuilder::setOutputPath(const std::string& path) {
    if (ReportSet* set = current()) set->outputPath = path;
}

void ReportBuilder::setOutputFiles(std::vector<std::string> paths) {
    if (ReportSet* set = current()) set->outputFiles = std::move(paths);
}

void ReportBuilder::setFolder(std::string folder) { model_.folder = std::move(folder); }

void ReportBuilder::setBuilt(std::string referenceSpace, std::vector<VoiRow> vois) {
    ReportSet* set = current();
    if (set == nullptr) return;
    set->built = true;
    set->referenceSpace = std::move(referenceSpace);
    set->vois = std::move(vois);
}

void ReportBuilder::setPictures(std::vector<PagePicture> pictures, std::string note) {
    ReportSet* set = current();
    if (set == nullptr) return;
    set->pictures = std::move(pictures);
    set->pictureNote = std::move(note);
}

void ReportBuilder::setDrawn(std::size_t index, std::vector<VoiRow> vois, std::vector<PagePicture> pictures,
                            std::string note) {
    if (index >= model_.sets.size()) return;
    ReportSet& set = model_.sets[index];
    set.vois = std::move(vois);
    set.pictures = std::move(pictures);
    set.pictureNote = std::move(note);
}

void ReportBuilder::finishSet(SetOutcome outcome) {
    if (ReportSet* set = current()) {
        set->outcome = outcome;
        model_.summary.add(outcome);
    }
    inSet_ = false;
}

void ReportBuilder::finishBatch() {
    inSet_ = false;
    model_.totalSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
}

}  // namespace zandrel::report
