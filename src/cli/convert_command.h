#pragma once

#include <string>
#include <vector>

#include "batch/convert_options.h"

namespace zandrel::cli {

// `zandrel convert LIST [options]`, parsed.
struct ConvertArguments {
    std::string listPath;
    std::string transcriptPath;  // empty: no transcript
    bool prefixGiven = false;    // --prefix DIR: DIR in place of line 1
    std::string prefix;          // DIR, "@list" for the list's own folder
    ConvertOptions conversion;   // --dry-run, --crlf, --output-dir
    // The value of each output kind's option, in the order of outputKinds(); empty: not asked for.
    std::vector<std::string> outputs;
};

// Runs the batch of the list file and prints what it reports; returns the exit status.
int runConvert(const ConvertArguments& arguments);

}  // namespace zandrel::cli
