// `zandrel convert LIST [options]`: the batch conversion of a list file.
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "batch/batch_run.h"
#include "batch/set_check.h"
#include "cli/commands.h"
#include "cli/convert_output.h"
#include "cli/convert_progress.h"

namespace zandrel::cli {

namespace {

struct ConvertArguments {
    std::string listPath;
    std::optional<std::string> transcriptPath;
    bool dryRun = false;
    bool crlf = false;
    bool help = false;
};

int usageError(const std::string& message) {
    std::cerr << "zandrel convert: " << message << "; try 'zandrel convert --help'\n";
    return kUsage;
}

// Fills `parsed`; returns kSuccess, or the exit status of a usage error already reported.
int parseArguments(const std::vector<std::string>& args, ConvertArguments& parsed) {
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (optionsEnded || word.empty() || word[0] != '-' || word == "-") {
            positional.push_back(word);
        } else if (word == "--") {
            optionsEnded = true;
        } else if (word == "--help" || word == "-h") {
            parsed.help = true;
        } else if (word == "--dry-run") {
            parsed.dryRun = true;
        } else if (word == "--crlf") {
            parsed.crlf = true;
        } else if (word == "--transcript" || word.rfind("--transcript=", 0) == 0) {
            if (parsed.transcriptPath) return usageError("--transcript given twice");
            if (word == "--transcript") {
                if (i + 1 == args.size()) return usageError("--transcript needs a file name");
                parsed.transcriptPath = args[++i];
            } else {
                parsed.transcriptPath = word.substr(std::string("--transcript=").size());
            }
            if (parsed.transcriptPath->empty()) return usageError("--transcript needs a file name");
        } else {
            return usageError("unknown option '" + word + "'");
        }
    }
    if (parsed.help) return kSuccess;
    if (positional.empty()) return usageError("missing the list file");
    if (positional.size() > 1) return usageError("unexpected argument '" + positional[1] + "'");
    parsed.listPath = positional.front();
    return kSuccess;
}

bool isSameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(std::filesystem::path(a), std::filesystem::path(b), error);
}

}  // namespace

const char* convertHelp() {
    return "Usage: zandrel convert LIST [options]\n"
           "\n"
           "Converts every data set of the list file LIST: the ROIs of each set become VOIs\n"
           "on the 256 x 256 x 256 anatomical grid, saved next to the ROI file as\n"
           "<stem>_TAL_.voi when the set names a .tal file, otherwise as <stem>_ACPC_.voi.\n"
           "\n"
           "Line 1 of the list is a path prefix put in front of every name as written. Each\n"
           "later line ending in \"roi\" starts a set; the lines after it name the set's .fmr,\n"
           "IA.trf, FA.trf, ACPC.trf and (optional) .tal files, in any order.\n"
           "\n"
           "Options:\n"
           "  --transcript FILE  also write every log entry to FILE as one JSON string per\n"
           "                     line (JSON Lines), in order\n"
           "  --dry-run          check every set's files and records and print the .voi file\n"
           "                     each set would get, or its report; writes nothing\n"
           "  --crlf             write .voi files with CR LF line ends on every platform\n"
           "  -h, --help         show this text\n"
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
           "  1  at least one set was reported or failed, or the transcript could not be\n"
           "     written completely\n"
           "  2  usage error, or the list file cannot be read\n";
}

int runConvert(const std::vector<std::string>& args) {
    ConvertArguments arguments;
    if (const int status = parseArguments(args, arguments); status != kSuccess) return status;
    if (arguments.help) {
        std::cout << convertHelp();
        return kSuccess;
    }

    if (!canOpenForReading(arguments.listPath)) {
        std::cerr << " Error: Can not read this text file!\n";
        return kUsage;
    }
    if (arguments.transcriptPath && isSameFile(*arguments.transcriptPath, arguments.listPath)) {
        return usageError("the transcript would replace the list file");
    }
    ConvertOutput output(std::cout);
    if (arguments.transcriptPath && !output.openTranscript(*arguments.transcriptPath)) {
        std::cerr << "zandrel convert: cannot create the transcript file " << *arguments.transcriptPath << "\n";
        return kUsage;
    }

    BatchOptions options;
    options.dryRun = arguments.dryRun;
    options.crlf = arguments.crlf;
    std::optional<ConvertProgress> progress;
    if (standardErrorIsTerminal()) {
        progress.emplace(std::cerr, countSets(arguments.listPath));
        output.showProgress(*progress);
    }

    const BatchSummary summary = runBatch(arguments.listPath, output, options);
    const bool transcriptComplete = output.finish();

    if (!summary.listReadable) {
        std::cerr << " Error: Can not read this text file!\n";
        return kUsage;
    }
    int status = summary.reported + summary.failed > 0 ? kFailure : kSuccess;
    if (summary.setsFound == 0) {
        std::cerr << "zandrel convert: the list names no ROI file: " << arguments.listPath << "\n";
    }
    if (!transcriptComplete) {
        std::cerr << "zandrel convert: the transcript could not be written completely: "
                  << *arguments.transcriptPath << "\n";
        status = kFailure;
    }
    return status;
}

}  // namespace zandrel::cli
