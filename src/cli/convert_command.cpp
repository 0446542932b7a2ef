// `zandrel convert LIST [options]`: the batch conversion of a list file.
#include "cli/convert_command.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "batch/batch_run.h"
#include "batch/list_check.h"
#include "batch/log_wording.h"
#include "batch/observer_fan_out.h"
#include "batch/set_check.h"
#include "cli/commands.h"
#include "cli/convert_output.h"
#include "cli/convert_progress.h"
#include "cli/interrupt_signals.h"
#include "cli/output_option.h"
#include "cli/terminal.h"
#include "outputs/output_kinds.h"

namespace zandrel::cli {

namespace {

const char* const kFooter =
    "Line 1 of the list is a path prefix put in front of every name as written (with\n"
    "--prefix DIR, DIR is put there instead and line 1 is ignored). Each later line\n"
    "ending in \"roi\" starts a set; the lines after it name the set's .fmr, IA.trf,\n"
    "FA.trf, ACPC.trf and (optional) .tal files, in any order. A backslash in a name\n"
    "is a folder separator, so lists written on Windows run with --prefix. The ROIs\n"
    "of each set become VOIs on the 256 x 256 x 256 anatomical grid, saved next to\n"
    "the ROI file as <stem>_TAL_.voi when the set names a .tal file, otherwise as\n"
    "<stem>_ACPC_.voi. With --output-dir DIR, every output of a set goes under DIR\n"
    "instead, at the ROI file's path below the prefix (subject1/s1.roi gives\n"
    "DIR/subject1/s1_TAL_.voi), missing folders created; a ROI file that is not\n"
    "below the prefix fails its set. With --nifti, the .json sidecar lists every\n"
    "file of the set, and the images an earlier run listed that are not written\n"
    "again (the other mode's) are removed; a run without --nifti leaves an earlier\n"
    "run's NIfTI files, table and sidecar as they are.\n"
    "\n"
    "Each log entry is printed to standard output as it happens, on a line of its\n"
    "own: a line feed is added to every entry that does not end with one. A set\n"
    "whose files cannot be opened is reported; an error while a set is read, built\n"
    "or saved is logged as \"!!!! Could not convert ROI: message\" and no file is\n"
    "written for that set (a file that cannot be created is named, with the\n"
    "system's reason after it). Either way the batch goes on with the next set. When\n"
    "standard error is a terminal it shows the progress: set number, total and the\n"
    "ROI file's name. The last line on standard error sums up the sets per outcome.\n"
    "\n"
    "Ctrl-C (SIGINT, SIGTERM) stops the batch after the set being converted, whose\n"
    "files are then complete; the transcript and the report are finished and say\n"
    "after which set the run was interrupted. A second Ctrl-C ends the program at\n"
    "once. Hidden temporary files that an ended run left behind are removed by the\n"
    "next run that writes into their folder.\n"
    "\n"
    "Exit status:\n"
    "  0  every set was converted (with --dry-run: would be converted)\n"
    "  1  at least one set was reported or failed, the list forms no set, the\n"
    "     transcript or the report could not be written completely, or NIfTI files\n"
    "     could not be written\n"
    "  2  usage error, the list file cannot be read or is no 8-bit text list (empty,\n"
    "     UTF-16 or UTF-32, NUL bytes, a line longer than any path), or the report\n"
    "     folder is refused\n"
    "  130  interrupted (Ctrl-C, SIGINT, SIGTERM) before every set was run\n";

// A backslash in a list name is a folder separator on every system but Windows, where it
// already is one; there a Windows path needs no hint.
#ifdef _WIN32
constexpr bool kBackslashIsSeparator = false;
#else
constexpr bool kBackslashIsSeparator = true;
#endif

bool endsWithSeparator(const std::string& path) {
    return !path.empty() && (path.back() == '/' || path.back() == '\\');
}

// The prefix --prefix asks for: DIR, or the list's own folder for "@list", with a folder
// separator at its end. Throws UsageError when DIR is no folder.
std::string prefixFor(const std::string& value, const std::string& listPath) {
    if (value == "@list") {
        const std::string folder = std::filesystem::path(listPath).parent_path().string();
        return folder.empty() ? "./" : (endsWithSeparator(folder) ? folder : folder + "/");
    }
    std::error_code error;
    if (!std::filesystem::is_directory(std::filesystem::path(value), error)) {
        throw UsageError("--prefix " + value + ": no such folder");
    }
    return endsWithSeparator(value) ? value : value + "/";
}

void warnOtherCase(const OtherCaseLine& line) {
    std::cerr << "zandrel convert: warning: line " << line.lineNumber << " (\"" << line.line
              << "\") is ignored: its ending differs from \"" << line.kind << "\" only in letter case\n";
}

// An output folder that exists must be a folder; a missing one is created as sets need it.
void requireOutputFolder(const std::string& outputDir) {
    if (outputDir.empty()) return;
    std::error_code error;
    const std::filesystem::path path(outputDir);
    if (std::filesystem::exists(path, error) && !std::filesystem::is_directory(path, error)) {
        throw UsageError("--output-dir " + outputDir + ": not a folder");
    }
}

bool isSameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(std::filesystem::path(a), std::filesystem::path(b), error);
}

}  // namespace

Command addConvertCommand(CLI::App& zandrel) {
    CLI::App* command = zandrel.add_subcommand("convert", "run the batch conversion of a list file");
    auto arguments = std::make_shared<ConvertArguments>();
    command->add_option("LIST", arguments->listPath, "the list file of the data sets")->required()->type_name("");
    command->add_option("--transcript", arguments->transcriptPath,
                        "also write every log entry to FILE as one JSON\n"
                        "string per line (JSON Lines), in order")
        ->type_name("FILE")
        ->check(nonEmpty("a file name"));
    CLI::Option* prefix =
        command->add_option("--prefix", arguments->prefix,
                            "put DIR in front of every name in place of line 1\n"
                            "(a relative DIR from the current folder; @list:\n"
                            "the list's own folder)")
            ->type_name("DIR")
            ->check(nonEmpty("a folder name"));
    command->add_flag("--dry-run", arguments->conversion.dryRun,
                      "check every set's files and records, and that its\n"
                      "output folder can be written, and print the .voi\n"
                      "file each set would get, or its report; writes no\n"
                      ".voi, NIfTI or table file (a --report shows each\n"
                      "set's outcome, without pictures)");
    command->add_option("--output-dir", arguments->conversion.outputDir,
                        "write every output of a set under DIR, at the ROI\n"
                        "file's path below the list's prefix (subject\n"
                        "folders stay apart), instead of beside the ROI\n"
                        "file; missing folders are created")
        ->type_name("DIR")
        ->check(nonEmpty("a folder name"));
    command->add_flag("--crlf", arguments->conversion.crlf, "write .voi files with CR LF line ends on\nevery platform");
    const std::vector<OutputKind>& kinds = outputKinds();
    arguments->outputs.resize(kinds.size());
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        addOutputOption(*command, kinds[k], arguments->outputs[k], kinds[k].convertHelp);
    }
    command->footer(kFooter);
    return {command, [arguments, prefix] {
                arguments->prefixGiven = prefix->count() > 0;
                return runConvert(*arguments);
            }};
}

int runConvert(const ConvertArguments& arguments) {
    const std::vector<OutputKind>& kinds = outputKinds();
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        if (!arguments.outputs[k].empty() && !kinds[k].available()) {
            return outputUnavailable("convert", kinds[k], kinds[k].option);
        }
    }
    ConvertOptions conversion = arguments.conversion;
    conversion.list.backslashIsSeparator = kBackslashIsSeparator;
    if (arguments.prefixGiven) conversion.list.prefix = prefixFor(arguments.prefix, arguments.listPath);
    const ListInspection list = inspectListFile(arguments.listPath, conversion.list, warnOtherCase);
    if (list.refusal == ListRefusal::unreadable) {
        std::cerr << kListUnreadableText << ": " << arguments.listPath << ": " << list.reason << "\n";
        return kUsage;
    }
    if (list.refusal != ListRefusal::none) {
        std::cerr << "zandrel convert: " << arguments.listPath << " is refused as a list: " << refusalText(list) << "\n";
        return kUsage;
    }
    if (!arguments.prefixGiven && !list.lineOne.empty() && !endsWithSeparator(list.lineOne)) {
        std::cerr << "zandrel convert: warning: line 1, the prefix \"" << list.lineOne
                  << "\", does not end with a folder separator: it is joined directly to every name\n";
    }
    requireOutputFolder(conversion.outputDir);
    const bool withTranscript = !arguments.transcriptPath.empty();
    if (withTranscript && isSameFile(arguments.transcriptPath, arguments.listPath)) {
        throw UsageError("the transcript would replace the list file");
    }

    // From here Ctrl-C stops the batch before its next set (before the first, while the
    // outputs are prepared); the transcript, the report and the summary are still finished.
    const InterruptSignals signals;

    // Each output asked for starts before anything is converted: a refused report folder
    // converts nothing. Its own log entries go through the fan-out, to every observer.
    ObserverFanOut observers;
    SetOutputFiles setFiles;  // what the NIfTI output wrote for each set, for the report's links
    std::vector<std::unique_ptr<BatchOutput>> outputs;
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        if (arguments.outputs[k].empty()) continue;
        BatchOutputStart start;
        start.value = arguments.outputs[k];
        start.listPath = arguments.listPath;
        start.dryRun = arguments.conversion.dryRun;
        start.log = &observers;
        start.setFiles = &setFiles;
        try {
            outputs.push_back(kinds[k].startBatch(start));
        } catch (const std::exception& error) {
            std::cerr << "zandrel convert: " << error.what() << "\n";
            return kUsage;
        }
    }
    ConvertOutput output(std::cout);
    if (kBackslashIsSeparator) output.hintAtWindowsPaths();
    if (withTranscript && !output.openTranscript(arguments.transcriptPath)) {
        std::cerr << "zandrel convert: cannot create the transcript file " << arguments.transcriptPath << "\n";
        return kUsage;
    }

    std::optional<ConvertProgress> progress;
    if (standardErrorIsTerminal()) {
        progress.emplace(std::cerr, list.sets);
        output.showProgress(*progress);
    }

    observers.add(output);
    for (const std::unique_ptr<BatchOutput>& kind : outputs) observers.add(kind->observer());
    conversion.stop = &signals.stop();
    const BatchSummary summary = runBatch(arguments.listPath, observers, conversion);
    const bool transcriptComplete = output.finish();
    std::vector<BatchOutput::Completion> completions;
    for (const std::unique_ptr<BatchOutput>& kind : outputs) completions.push_back(kind->finish());

    if (!summary.listReadable) {
        std::cerr << kListUnreadableText << ": " << arguments.listPath << ": " << unreadableReason(arguments.listPath)
                  << "\n";
        return kUsage;
    }
    int status = summary.reported + summary.failed > 0 ? kFailure : kSuccess;
    if (summary.setsFound == 0 && !summary.interrupted) {
        std::cerr << "zandrel convert: the list names no ROI file: "
                  << arguments.listPath << "\n";
        status = kFailure;
    }
    if (!transcriptComplete) {
        std::cerr << "zandrel convert: the transcript could not be written completely: "
                  << arguments.transcriptPath << "\n";
        status = kFailure;
    }
    for (const BatchOutput::Completion& completion : completions) {
        if (completion.complete) continue;
        if (!completion.message.empty()) std::cerr << "zandrel convert: " << completion.message << "\n";
        status = kFailure;
    }

    std::string summaryLine = batchSummaryText(summary, conversion.dryRun);
    if (!conversion.outputDir.empty() && !conversion.dryRun) summaryLine += "; outputs under " + conversion.outputDir;
    if (summary.interrupted) {
        summaryLine = interruptedText(BatchInterrupted{summary.setsFound, summary.setsInList}) + ": " + summaryLine;
        status = kInterrupted;
    }
    for (std::size_t k = 0; k < kinds.size() && !conversion.dryRun; ++k) {
        if (!arguments.outputs[k].empty() && kinds[k].whereWritten) {
            summaryLine += "; " + kinds[k].whereWritten(arguments.outputs[k]);
        }
    }
    std::cerr << "zandrel convert: " << summaryLine << "\n";
    return status;
}

}  // namespace zandrel::cli
