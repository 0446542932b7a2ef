#pragma once

#include <string>
#include <vector>

#include "batch/log_wording.h"

namespace zandrel::test {

// Records every log entry of a batch, as worded for the log, and each set's start and end as
// one line of text ("start 2 /d/s2.roi", "converted 2 /d/s2_ACPC_.voi vois=1", "failed 3
// message"), so a test compares a whole run at once.
class EntryRecorder : public LogEntryObserver {
public:
    std::vector<std::string> entries;
    std::vector<std::string> events;

    void onEntry(const std::string& text) override { entries.push_back(text); }

    void onSetStarted(int setNumber, const FileSet& set) override {
        events.push_back("start " + std::to_string(setNumber) + " " + set.roiPath);
    }

    void onSetFinished(const FileSet&, const SetResult& result) override {
        const std::string number = " " + std::to_string(result.setNumber);
        switch (result.outcome) {
            case SetOutcome::converted:
                events.push_back("converted" + number + " " + result.outputPath +
                                 (result.converted == nullptr
                                      ? std::string(" unsaved")
                                      : " vois=" + std::to_string(result.converted->voiFile.vois.size())));
                break;
            case SetOutcome::reported: events.push_back("reported" + number); break;
            case SetOutcome::failed: events.push_back("failed" + number + " " + result.message); break;
        }
    }
};

}  // namespace zandrel::test
