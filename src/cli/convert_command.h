#pragma once

#include <string>

#include "batch/convert_options.h"

namespace zandrel::cli {

// `zandrel convert LIST [options]`, parsed.
struct ConvertArguments {
    std::string listPath;
    std::string transcriptPath;  // empty: no transcript
    ConvertOptions conversion;   // --dry-run, --crlf
    std::string nifti;           // "labels" or "masks"; empty: no NIfTI output
    std::string reportDir;       // empty: no report
};

// Runs the batch of the list file and prints what it reports; returns the exit status.
int runConvert(const ConvertArguments& arguments);

}  // namespace zandrel::cli
