#pragma once

#include <string>
#include <vector>

namespace zandrel::cli {

// `zandrel convert LIST [options]`, parsed.
struct ConvertArguments {
    std::string listPath;
    std::string transcriptPath;  // empty: no transcript
    bool dryRun = false;
    bool crlf = false;
    // The value of each output kind's option, in the order of outputKinds(); empty: not asked for.
    std::vector<std::string> outputs;
};

// Runs the batch of the list file and prints what it reports; returns the exit status.
int runConvert(const ConvertArguments& arguments);

}  // namespace zandrel::cli
