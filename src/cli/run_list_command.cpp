#include "cli/run_list_command.h"

#include <filesystem>
#include <iostream>
#include <optional>
#include <system_error>

#include "batch/list_check.h"
#include "batch/log_wording.h"
#include "batch/run_projection.h"
#include "batch/set_check.h"
#include "cli/command.h"
#include "cli/convert_output.h"
#include "cli/convert_progress.h"
#include "cli/interrupt_signals.h"
#include "cli/terminal.h"

namespace zandrel::cli {

namespace {

bool isSameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(std::filesystem::path(a), std::filesystem::path(b), error);
}

}  // namespace

void addTranscriptOption(CLI::App& command, std::string& path) {
    command.add_option("--transcript", path,
                       "also write every log entry to FILE as one JSON\n"
                       "string per line (JSON Lines), in order")
        ->type_name("FILE")
        ->check(nonEmpty("a file name"));
}

int runOnRunList(const RunListRun& run,
                 const std::function<BatchSummary(BatchObserver&, const StopRequest&)>& batch) {
    const std::string prefix = "zandrel " + run.command + ": ";
    if (!canOpenForReading(run.listPath)) {
        std::cerr << kListUnreadableText << ": " << run.listPath << ": " << unreadableReason(run.listPath) << "\n";
        return kUsage;
    }
    const bool withTranscript = !run.transcriptPath.empty();
    if (withTranscript && isSameFile(run.transcriptPath, run.listPath)) {
        throw UsageError("the transcript would replace the list file");
    }
    // From here Ctrl-C stops the batch before its next set; the transcript is still finished.
    const InterruptSignals signals;
    ConvertOutput output(std::cout);
    if (withTranscript && !output.openTranscript(run.transcriptPath)) {
        std::cerr << prefix << "cannot create the transcript file " << run.transcriptPath << "\n";
        return kUsage;
    }
    std::optional<ConvertProgress> progress;
    if (standardErrorIsTerminal()) {
        progress.emplace(std::cerr, countRunSets(run.listPath));
        output.showProgress(*progress);
    }

    const BatchSummary summary = batch(output, signals.stop());
    const bool transcriptComplete = output.finish();
    if (!summary.listReadable) {
        std::cerr << kListUnreadableText << ": " << run.listPath << ": " << unreadableReason(run.listPath) << "\n";
        return kUsage;
    }
    int status = summary.reported + summary.failed > 0 ? kFailure : kSuccess;
    if (summary.setsFound == 0 && !summary.interrupted) {
        std::cerr << prefix << "the list names no VOI file: " << run.listPath << "\n";
        status = kFailure;
    }
    if (!transcriptComplete) {
        std::cerr << prefix << "the transcript could not be written completely: " << run.transcriptPath << "\n";
        status = kFailure;
    }
    if (summary.interrupted) {
        std::cerr << prefix << interruptedText(BatchInterrupted{summary.setsFound, summary.setsInList}) << "\n";
        status = kInterrupted;
    }
    return status;
}

}  // namespace zandrel::cli
