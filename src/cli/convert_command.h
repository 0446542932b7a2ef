#pragma once

#include <string>

namespace zandrel::cli {

// `zandrel convert LIST [options]`, parsed.
struct ConvertOptions {
    std::string listPath;
    std::string transcriptPath;  // empty: no transcript
    bool dryRun = false;
    bool crlf = false;
    std::string nifti;  // "labels" or "masks"; empty: no NIfTI output
    std::string reportDir;       // empty: no report
};

// Runs the batch of the list file and prints what it reports; returns the exit status.
int runConvert(const ConvertOptions& options);

}  // namespace zandrel::cli
