#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "outputs/report/report_model.h"

namespace zandrel::report {

// Collects a ReportModel from the events of a batch run, one set at a time: a set starts,
// its log entries arrive, its VOIs may be built, its output path is named, and it ends
// with an outcome. Entries that arrive outside a set belong to the batch.
class ReportBuilder {
public:
    // The date is taken now, in UTC; the total time runs from here to finishBatch.
    ReportBuilder(std::string listPath, std::string programVersion, bool dryRun);

    void startSet(const FileSet& files);
    void addLogEntry(const std::string& entry);
    void setOutputPath(const std::string& path);
    void setOutputFiles(std::vector<std::string> paths);
    // The report's folder, which the page's links are relative to.
    void setFolder(std::string folder);
    // The table of the built VOIs, and their pictures (or why there are none).
    void setBuilt(std::string referenceSpace, std::vector<VoiRow> vois);
    void setPictures(std::vector<PagePicture> pictures, std::string note);
    // The table and pictures of set `index` of the model (from 0), made beside the batch.
    void setDrawn(std::size_t index, std::vector<VoiRow> vois, std::vector<PagePicture> pictures, std::string note);
    // The set being collected, or null between sets.
    const ReportSet* currentSet() const { return inSet_ ? &model_.sets.back() : nullptr; }
    void finishSet(SetOutcome outcome);
    // The batch was ended by a stop request, before the sets after `interruption.afterSet`.
    void interrupted(const BatchInterrupted& interruption) { model_.interruption = interruption; }
    void finishBatch();

    const ReportModel& model() const { return model_; }

private:
    ReportSet* current();

    ReportModel model_;
    bool inSet_ = false;
    std::chrono::steady_clock::time_point started_;
};

// "YYYY-MM-DD HH:MM UTC" for a point in time.
std::string formatUtcDate(std::chrono::system_clock::time_point when);

}  // namespace zandrel::report
