#include "outputs/report/report_observer.h"

#include <exception>
#include <filesystem>
#include <new>
#include <utility>
#include <variant>

#include "batch/log_wording.h"

namespace zandrel::report {

ReportObserver::ReportObserver(const std::string& dir, std::string listPath, std::string programVersion, bool dryRun,
                               ReportOptions options, SetOutputFiles* setFiles)
    : builder_(std::move(listPath), std::move(programVersion), dryRun), writer_(dir, options), setFiles_(setFiles) {
    builder_.setFolder(std::filesystem::absolute(std::filesystem::path(dir)).lexically_normal().string());
}

void ReportObserver::onEvent(const BatchEvent& event) {
    if (const auto* interruption = std::get_if<BatchInterrupted>(&event)) builder_.interrupted(*interruption);
    try {
        for (const std::string& entry : wordEventWithReasons(event)) builder_.addLogEntry(entry);
    } catch (const std::bad_alloc&) {
        if (failure_.empty()) failure_ = "not enough memory to keep the log entries";
    }
}

void ReportObserver::onSetStarted(int setNumber, const FileSet& set) {
    static_cast<void>(setNumber);
    try {
        builder_.startSet(set);
    } catch (const std::exception& error) {
        if (failure_.empty()) failure_ = error.what();
    }
}

void ReportObserver::onSetFinished(const FileSet& set, const SetResult& result) {
    static_cast<void>(set);
    // The batch goes on whatever happens here: a fault of the report is kept for finish().
    try {
        builder_.setOutputPath(result.outputPath);
        if (setFiles_ != nullptr) builder_.setOutputFiles(setFiles_->take(result.setNumber));
        if (result.converted != nullptr) addConverted(result.setNumber, *result.converted);
    } catch (const std::exception& error) {
        if (failure_.empty()) failure_ = error.what();
    }
    builder_.finishSet(result.outcome);
}

void ReportObserver::addConverted(int setNumber, const ConvertedSet& set) {
    builder_.setBuilt(set.voiFile.ReferenceSpace.value, {});
    if (failure_.empty()) {
        try {
            // The table and the figures are made beside the batch; the page gets them at the end.
            const auto setIndex = static_cast<std::size_t>(setNumber - 1);
            drawn_.emplace_back(setIndex, builder_.model().sets.size() - 1);
            try {
                writer_.addSet(setIndex, set);
            } catch (...) {
                drawn_.pop_back();  // the writer never took it
                throw;
            }
            return;
        } catch (const std::exception& error) {
            failure_ = error.what();
        }
    }
    // The report cannot take pictures any more: the table still comes from the saved file.
    const std::string unwritable = "No pictures: the report could not be written (" + failure_ + ").";
    try {
        builder_.setBuilt(set.voiFile.ReferenceSpace.value, voiRowsOf(set));
        builder_.setPictures({}, unwritable);
    } catch (const std::exception& error) {
        builder_.setPictures({}, std::string("No figures and no pictures: ") + error.what());
    }
}

std::string ReportObserver::finish() {
    try {
        // The writer returns the sets in the order they were handed to it, as drawn_ lists them.
        std::vector<std::pair<std::size_t, DrawnSet>> results = writer_.collect();
        for (std::size_t n = 0; n < results.size() && n < drawn_.size(); ++n) {
            if (results[n].first != drawn_[n].first) continue;
            DrawnSet& drawn = results[n].second;
            builder_.setDrawn(drawn_[n].second, std::move(drawn.rows), std::move(drawn.pictures), std::move(drawn.note));
        }
    } catch (const std::exception& error) {
        if (failure_.empty()) failure_ = error.what();
    }
    if (failure_.empty()) failure_ = writer_.failure();
    builder_.finishBatch();
    try {
        writer_.finish(builder_.model());
    } catch (const std::exception& error) {
        if (failure_.empty()) failure_ = error.what();
    }
    return failure_;
}

}  // namespace zandrel::report
