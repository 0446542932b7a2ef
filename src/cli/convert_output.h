#pragma once

#include <ostream>
#include <string>

#include "batch/log_wording.h"
#include "cli/convert_progress.h"
#include "outputs/transcript/transcript_file.h"

namespace zandrel::cli {

// Where `zandrel convert` sends what the batch reports, worded: each log entry to standard
// output as it happens, followed by a line feed unless its text already ends with one (the
// entries carry no line end of their own; on a console they would run together), and, with
// a transcript, each as one JSON string on a line of its own (JSON Lines), in order. With a
// progress line, each set's start is shown there and the line is erased before an entry.
class ConvertOutput : public LogEntryObserver {
public:
    // Entries carry the system's reason after a file that cannot be created or written.
    explicit ConvertOutput(std::ostream& console) : LogEntryObserver(true), console_(console) {}

    // Creates or replaces the transcript file; false when it cannot be created.
    bool openTranscript(const std::string& path);

    // Shows the progress on `progress` from now on; it must outlive this object's use.
    void showProgress(ConvertProgress& progress) { progress_ = &progress; }

    // From now on, the report on a set whose paths look like Windows paths is followed by
    // an entry that says how to run the list here.
    void hintAtWindowsPaths() { hintAtWindowsPaths_ = true; }

    void onEvent(const BatchEvent& event) override;
    void onEntry(const std::string& entry) override;
    void onSetStarted(int setNumber, const FileSet& set) override;

    // Erases the progress line; false when a transcript was asked for and an entry could
    // not be written to it.
    bool finish();

private:
    std::ostream& console_;
    TranscriptFile transcript_;
    ConvertProgress* progress_ = nullptr;
    bool hintAtWindowsPaths_ = false;
};

}  // namespace zandrel::cli
