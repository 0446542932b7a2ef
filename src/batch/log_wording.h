#pragma once
// The system's wording: every log entry of a batch, and the texts around it, in one place.
// The plug-in's log, the console, the transcript and the report all show these texts, and
// other programs compare them byte for byte: a change here changes every one of them.

#include <string>
#include <vector>

#include "batch/batch_events.h"
#include "batch/batch_observer.h"
#include "batch/set_outcome.h"

namespace zandrel {

// Shown (message box, standard error) when the list file cannot be opened; never logged.
inline constexpr char kListUnreadableText[] = " Error: Can not read this text file!";

// The error texts of a set that failed without a message of its own.
inline constexpr char kOutOfMemoryError[] = "not enough memory";
inline constexpr char kUnexpectedError[] = "unexpected error";
// The error text of a batch, or of a set's further outputs, stopped by an error without a
// message of its own.
inline constexpr char kUnknownError[] = "unknown error";

// The log entries of one event, in order, each without a line end of its own:
// - FilesNotLoaded: "!!!! Not enough files could be loaded to convert <roi>", then per
//   unopenable file "<kind> could not be loaded: <path>" (kinds ROI, FMR, IA.trf, FA.trf,
//   ACPC.trf, TAL);
// - SetConverted: "Converted <roi>"; SetWouldConvert: "Would write <output> from <roi>";
// - RoiIncomplete: "Only part of the ROI file <roi> was read: it holds 1 of the 3 plots
//   that NrOfTCPlots announces; plot 1 holds 4 of the 9 voxels that its NrOfVoxels
//   announces" (the parts that apply); nothing when the shortfall is complete;
// - VoxelsSkipped: "VOI <n> of <roi>: <count> voxels outside the functional grid were skipped";
// - SetFailed: "!!!! Could not convert <roi>: <error>";
// - OutputsFailed: "!!!! Could not write <outputs> for <roi>: <error>";
// - BatchStopped: "!!!! Conversion stopped: <error>";
// - BatchInterrupted: "!!!! Batch interrupted after set <n> of <total>: the sets after it
//   were not run" ("before set 1 of <total>: no set was run" when none ran; without
//   " of <total>" when the total is unknown); only a command-line run is ever interrupted;
// - RunFilesNotLoaded: "!!!! Not enough files could be loaded to project <voi>", then per
//   unopenable file "<kind> could not be loaded: <path>" (kinds VOI, FMR, IA.trf, FA.trf,
//   ACPC.trf, TAL);
// - SetProjected: "Projected <voi> onto <fmr>";
// - SetWouldProject: "Would write <stem>.roi from <voi> onto <fmr>";
// - VoiSelectsNothing: "VOI <n> ("<name>") of <voi> selects no voxel of <fmr>";
// - ProjectionFailed: "!!!! Could not project <voi> onto <fmr>: <error>";
// - SetExtracted: "Extracted <voi> from <fmr>";
// - SetWouldExtract: "Would write <sidecar> and its tables from <voi> on <fmr>";
// - ExtractionFailed: "!!!! Could not extract <voi> from <fmr>: <error>".
std::vector<std::string> wordEvent(const BatchEvent& event);

// The command line's wording: wordEvent's entries, with the system's reason for a file that
// could not be created or written after the error of SetFailed, OutputsFailed,
// ProjectionFailed and ExtractionFailed ("...: Cannot Create file: <name>: Permission
// denied"). The plug-in keeps wordEvent's texts exactly.
std::vector<std::string> wordEventWithReasons(const BatchEvent& event);

// The command line's entry after the report on a set whose paths look like Windows paths
// (never logged by the plug-in): how to run the list here.
std::string windowsPathsHint();

// The command line's last line of a batch, on standard error: the sets per outcome, "98
// converted, 2 reported, 1 failed" (the words of the help texts and the report) (outcomes without a set left out, "converted" always
// there; a dry run says "would be converted").
std::string batchSummaryText(const BatchSummary& summary, bool dryRun);

// Where an interrupted batch stopped, for the summary line and the report: "interrupted
// after set 12 of 200", "interrupted before set 1 of 200", "interrupted after set 12" when
// the total is unknown.
std::string interruptedText(const BatchInterrupted& interruption);

// For an observer that only wants the texts: each event arrives worded, one onEntry per
// log entry.
class LogEntryObserver : public BatchObserver {
public:
    // With `withReasons`, the entries are worded by wordEventWithReasons.
    explicit LogEntryObserver(bool withReasons = false) : withReasons_(withReasons) {}
    void onEvent(const BatchEvent& event) override;
    virtual void onEntry(const std::string& text) = 0;

private:
    bool withReasons_;
};

}  // namespace zandrel
