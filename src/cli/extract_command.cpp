// `zandrel extract LIST [options]`: the time courses of VOIs on functional runs.
#include "cli/extract_command.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "cli/commands.h"
#include "cli/run_list_command.h"

namespace zandrel::cli {

namespace {

const char* const kFooter =
    "Line 1 of the list is a path prefix put in front of every name as written. Each\n"
    "later line ending in \"voi\" starts a set; the lines after it name the run's .fmr,\n"
    "IA.trf, FA.trf, ACPC.trf and (for Talairach VOIs) .tal files, in any order. Each\n"
    "VOI is placed on the run: a functional voxel is selected when the VOI fills at\n"
    "least T of it. Only the slices that hold selected voxels are read from the\n"
    "run's time-course data. Per set, beside the .fmr file or in DIR, named\n"
    "<fmr stem>_<voi stem>:\n"
    "  _stat-<name>_timeseries.tsv  one column per VOI (in VOI order; a repeated\n"
    "                               name gets _2, _3), one line per volume, n/a\n"
    "                               where a VOI selects nothing or a sample is NaN\n"
    "  _timeseries.json             sampling frequency, statistics, threshold,\n"
    "                               files, chain matrix, columns and colours\n"
    "  _coverage.tsv                the coverage of each VOI, as `project` writes it\n"
    "\n"
    "Statistics per volume over the selected voxels: mean (with --weighted: weighted\n"
    "by occupancy), median, std (population), min, max, eigen (first eigenvariate).\n"
    "\n"
    "Each log entry is printed to standard output as it happens. A set whose files\n"
    "cannot be opened is reported; a set that is refused or fails is logged as\n"
    "\"!!!! Could not extract VOI from FMR: message\" and nothing is written for it.\n"
    "Either way the batch goes on with the next set. When standard error is a\n"
    "terminal it shows the progress. Ctrl-C stops the batch after the set being\n"
    "written (a second Ctrl-C at once).\n"
    "\n"
    "Exit status:\n"
    "  0  every set was extracted (with --dry-run: would be extracted)\n"
    "  1  at least one set was reported or failed, the list names no VOI file, or\n"
    "     the transcript could not be written completely\n"
    "  2  usage error, or the list file cannot be read\n"
    "  130  interrupted (Ctrl-C, SIGINT, SIGTERM) before every set was run\n";


// The statistics of "--stat", in the order given, each once; a usage error for an unknown name.
std::vector<TimeStatistic> statisticsNamed(const std::string& text) {
    std::vector<TimeStatistic> statistics;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = text.find(',', start);
        const std::string name = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const std::optional<TimeStatistic> statistic = statisticNamed(name);
        if (!statistic) {
            throw UsageError("--stat: not a statistic: \"" + name + "\" (mean, median, std, min, max, eigen)");
        }
        bool known = false;
        for (const TimeStatistic s : statistics) known = known || s == *statistic;
        if (!known) statistics.push_back(*statistic);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return statistics;
}

}  // namespace

Command addExtractCommand(CLI::App& zandrel) {
    CLI::App* command = zandrel.add_subcommand("extract", "write the time courses of VOIs on functional runs");
    auto arguments = std::make_shared<ExtractArguments>();
    command->add_option("LIST", arguments->listPath, "the run list of the sets")->required()->type_name("");
    command->add_option("--stat", arguments->statistics,
                        "the statistics, comma-separated: mean, median,\nstd, min, max, eigen (default mean)")
        ->type_name("NAMES");
    command->add_option("--min-occupancy", arguments->extraction.minOccupancy,
                        "select a voxel when the VOI fills at least this\nshare of it, from 0 to 1 (default 0.5)")
        ->type_name("T")
        ->check(occupancyThreshold());
    command->add_flag("--weighted", arguments->extraction.extraction.weighted,
                      "weight the mean by each voxel's occupancy");
    command->add_option("--output-dir", arguments->extraction.outputDir,
                        "write into DIR instead of beside each .fmr file")
        ->type_name("DIR")
        ->check(nonEmpty("a folder name"));
    addTranscriptOption(*command, arguments->transcriptPath);
    command->add_flag("--dry-run", arguments->extraction.dryRun,
                      "check every set's files, records, space and\n"
                      "time-course size and print what each set would\n"
                      "get, or its report; writes nothing");
    command->footer(kFooter);
    return {command, [arguments] { return runExtract(*arguments); }};
}

int runExtract(ExtractArguments arguments) {
    arguments.extraction.extraction.statistics = statisticsNamed(arguments.statistics);
    const std::string& outputDir = arguments.extraction.outputDir;
    std::error_code error;
    if (!outputDir.empty() && !std::filesystem::is_directory(outputDir, error)) {
        std::cerr << "zandrel extract: the output folder does not exist: " << outputDir << "\n";
        return kUsage;
    }
    return runOnRunList({"extract", arguments.listPath, arguments.transcriptPath},
                        [&](BatchObserver& observer, const StopRequest& stop) {
        arguments.extraction.stop = &stop;
        return runExtraction(arguments.listPath, observer, arguments.extraction);
    });
}

}  // namespace zandrel::cli
