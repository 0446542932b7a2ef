#pragma once

#include <string>

namespace zandrel::cli {

// `zandrel chain FMR IA FA ACPC [--json]`, parsed.
struct ChainOptions {
    std::string fmrPath;
    std::string iaPath;
    std::string faPath;
    std::string acpcPath;
    bool json = false;
};

// Prints the chain matrix of the set and its factors; returns the exit status.
int runChain(const ChainOptions& options);

}  // namespace zandrel::cli
