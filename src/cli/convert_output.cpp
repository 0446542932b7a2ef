#include "cli/convert_output.h"

#include "cli/json/json_string.h"

namespace zandrel::cli {

bool ConvertOutput::openTranscript(const std::string& path) {
    // Binary: one "\n" per JSON line on every platform.
    transcript_.open(path, std::ios::out | std::ios::binary | std::ios::trunc);
    transcriptOpen_ = transcript_.is_open();
    return transcriptOpen_;
}

void ConvertOutput::onEntry(const std::string& entry) {
    if (progress_ != nullptr) progress_->clear();
    console_ << entry;
    if (entry.empty() || entry.back() != '\n') console_ << '\n';
    console_.flush();
    if (transcriptOpen_) {
        // Flushed per entry, so an interrupted run leaves every entry up to that point.
        transcript_ << jsonString(entry) << '\n' << std::flush;
    }
}

void ConvertOutput::onSetStarted(int setNumber, const FileSet& set) {
    if (progress_ != nullptr) progress_->show(setNumber, set.roiPath);
}

bool ConvertOutput::finish() {
    if (progress_ != nullptr) progress_->clear();
    if (!transcriptOpen_) return true;
    transcript_.close();
    return !transcript_.fail();
}

}  // namespace zandrel::cli
