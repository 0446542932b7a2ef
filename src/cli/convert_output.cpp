#include "cli/convert_output.h"

#include <variant>

#include "batch/list_reader.h"

namespace zandrel::cli {

bool ConvertOutput::openTranscript(const std::string& path) {
    return transcript_.open(path);
}

void ConvertOutput::onEvent(const BatchEvent& event) {
    LogEntryObserver::onEvent(event);
    if (!hintAtWindowsPaths_) return;
    const std::string* roiPath = nullptr;
    if (const auto* notLoaded = std::get_if<FilesNotLoaded>(&event)) roiPath = &notLoaded->set.roiPath;
    if (const auto* failed = std::get_if<SetFailed>(&event)) roiPath = &failed->roiPath;
    if (roiPath != nullptr && looksLikeWindowsPath(*roiPath)) onEntry(windowsPathsHint());
}

void ConvertOutput::onEntry(const std::string& entry) {
    if (progress_ != nullptr) progress_->clear();
    console_ << entry;
    if (entry.empty() || entry.back() != '\n') console_ << '\n';
    console_.flush();
    transcript_.append(entry);
}

void ConvertOutput::onSetStarted(int setNumber, const FileSet& set) {
    if (progress_ != nullptr) progress_->show(setNumber, set.roiPath);
}

bool ConvertOutput::finish() {
    if (progress_ != nullptr) progress_->clear();
    return transcript_.close();
}

}  // namespace zandrel::cli
