// `zandrel convert LIST [options]`: the batch conversion of a list file.
#include "cli/convert_command.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "batch/batch_run.h"
#include "batch/log_wording.h"
#include "batch/set_check.h"
#include "cli/commands.h"
#include "cli/convert_output.h"
#include "cli/convert_progress.h"
#include "cli/nifti_option.h"
#include "batch/observer_fan_out.h"
#include "cli/terminal.h"
#include "zandrel/build_features.h"
#if ZANDREL_WITH_NIFTI
#include "outputs/nifti/nifti_outputs_observer.h"
#endif
#if ZANDREL_WITH_REPORT
#include "outputs/report/report_observer.h"
#endif

namespace zandrel::cli {

namespace {

const char* const kFooter =
    "Line 1 of the list is a path prefix put in front of every name as written. Each\n"
    "later line ending in \"roi\" starts a set; the lines after it name the set's .fmr,\n"
    "IA.trf, FA.trf, ACPC.trf and (optional) .tal files, in any order. The ROIs of each\n"
    "set become VOIs on the 256 x 256 x 256 anatomical grid, saved next to the ROI file\n"
    "as <stem>_TAL_.voi when the set names a .tal file, otherwise as <stem>_ACPC_.voi.\n"
    "\n"
    "Each log entry is printed to standard output as it happens, on a line of its\n"
    "own: a line feed is added to every entry that does not end with one. A set\n"
    "whose files cannot be opened is reported; an error while a set is read, built\n"
    "or saved is logged as \"!!!! Could not convert ROI: message\" and no file is\n"
    "written for that set. Either way the batch goes on with the next set. When\n"
    "standard error is a terminal it shows the progress: set number, total and the\n"
    "ROI file's name.\n"
    "\n"
    "Exit status:\n"
    "  0  every set was converted (with --dry-run: would be converted)\n"
    "  1  at least one set was reported or failed, the transcript or the report could\n"
    "     not be written completely, or NIfTI files could not be written\n"
    "  2  usage error, the list file cannot be read, or the report folder is refused\n";

bool isSameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(std::filesystem::path(a), std::filesystem::path(b), error);
}

}  // namespace

Command addConvertCommand(CLI::App& zandrel) {
    CLI::App* command = zandrel.add_subcommand("convert", "run the batch conversion of a list file");
    auto options = std::make_shared<ConvertArguments>();
    command->add_option("LIST", options->listPath, "the list file of the data sets")->required()->type_name("");
    command->add_option("--transcript", options->transcriptPath,
                        "also write every log entry to FILE as one JSON\n"
                        "string per line (JSON Lines), in order")
        ->type_name("FILE")
        ->check(nonEmpty("a file name"));
    command->add_flag("--dry-run", options->conversion.dryRun,
                      "check every set's files and records and print the\n"
                      ".voi file each set would get, or its report;\n"
                      "writes nothing");
    command->add_flag("--crlf", options->conversion.crlf, "write .voi files with CR LF line ends on\nevery platform");
    addNiftiOption(*command, options->nifti,
                   "after each .voi file, also write its NIfTI label\n"
                   "image (labels, the default) or one mask per VOI\n"
                   "(masks), with a .tsv table and a .json sidecar");
    command->add_option("--report", options->reportDir,
                        "also write a quality-control report of the batch\n"
                        "to folder DIR: index.html with pictures of each\n"
                        "converted set's VOIs (a new or empty folder, or an\n"
                        "earlier report, which is replaced)")
        ->type_name("DIR")
        ->check(nonEmpty("a folder name"));
    command->footer(kFooter);
    return {command, [options] { return runConvert(*options); }};
}

int runConvert(const ConvertArguments& options) {
    if (!options.nifti.empty() && !ZANDREL_WITH_NIFTI) return niftiUnavailable("convert", "--nifti");
    const bool withReport = !options.reportDir.empty();
#if !ZANDREL_WITH_REPORT
    if (withReport) {
        std::cerr << "zandrel convert: --report is not available in this build (built without libpng)\n";
        return kUsage;
    }
#endif
    if (!canOpenForReading(options.listPath)) {
        std::cerr << kListUnreadableText << "\n";
        return kUsage;
    }
    const bool withTranscript = !options.transcriptPath.empty();
    if (withTranscript && isSameFile(options.transcriptPath, options.listPath)) {
        throw UsageError("the transcript would replace the list file");
    }
#if ZANDREL_WITH_REPORT
    // The folder is checked before anything is converted: a refused folder converts nothing.
    std::optional<report::ReportObserver> report;
    if (withReport) {
        try {
            report.emplace(options.reportDir, options.listPath, kVersion, options.conversion.dryRun);
        } catch (const std::exception& error) {
            std::cerr << "zandrel convert: " << error.what() << "\n";
            return kUsage;
        }
    }
#endif
    ConvertOutput output(std::cout);
    if (withTranscript && !output.openTranscript(options.transcriptPath)) {
        std::cerr << "zandrel convert: cannot create the transcript file " << options.transcriptPath << "\n";
        return kUsage;
    }

    std::optional<ConvertProgress> progress;
    if (standardErrorIsTerminal()) {
        progress.emplace(std::cerr, countSets(options.listPath));
        output.showProgress(*progress);
    }

    ObserverFanOut observers;
    observers.add(output);
#if ZANDREL_WITH_NIFTI
    NiftiOutputsObserver nifti(observers, options.nifti == "masks" ? NiftiMode::Masks : NiftiMode::Labels);
    if (!options.nifti.empty()) observers.add(nifti);
#endif
#if ZANDREL_WITH_REPORT
    if (report) observers.add(*report);
#endif
    const BatchSummary summary = runBatch(options.listPath, observers, options.conversion);
    const bool transcriptComplete = output.finish();
    std::string reportFailure;
#if ZANDREL_WITH_REPORT
    if (report) reportFailure = report->finish();
#endif

    if (!summary.listReadable) {
        std::cerr << kListUnreadableText << "\n";
        return kUsage;
    }
    int status = summary.reported + summary.failed > 0 ? kFailure : kSuccess;
    if (summary.setsFound == 0) {
        std::cerr << "zandrel convert: the list names no ROI file: " << options.listPath << "\n";
    }
    if (!transcriptComplete) {
        std::cerr << "zandrel convert: the transcript could not be written completely: "
                  << options.transcriptPath << "\n";
        status = kFailure;
    }
#if ZANDREL_WITH_NIFTI
    if (nifti.failed()) status = kFailure;
#endif
    if (!reportFailure.empty()) {
        std::cerr << "zandrel convert: the report could not be written completely to " << options.reportDir << ": "
                  << reportFailure << "\n";
        status = kFailure;
    }
    return status;
}

}  // namespace zandrel::cli
