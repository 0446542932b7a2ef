#pragma once

#include <string>

#include "outputs/timeseries/extract_run.h"

namespace zandrel::cli {

// `zandrel extract LIST [options]`, parsed.
struct ExtractArguments {
    std::string listPath;
    std::string statistics = "mean";  // --stat, comma-separated names
    std::string transcriptPath;       // empty: no transcript
    ExtractRunOptions extraction;     // --min-occupancy, --weighted, --output-dir, --dry-run
};

// Runs the extraction of the run list and prints what it reports; returns the exit status.
int runExtract(ExtractArguments arguments);

}  // namespace zandrel::cli
