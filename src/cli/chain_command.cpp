// `zandrel chain FMR IA FA ACPC [--json]`: the chain matrix of one set and its factors.
#include <iostream>
#include <string>
#include <vector>

#include "chain/chain_factors.h"
#include "chain/chain_verdict.h"
#include "cli/chain_format.h"
#include "cli/commands.h"
#include "formats/fmr_header.h"
#include "formats/trf_record.h"

namespace zandrel::cli {

const char* chainHelp() {
    return "Usage: zandrel chain FMR IA FA ACPC [--json]\n"
           "\n"
           "Prints the chain matrix of one set, which maps a centred position on the\n"
           "256-point anatomical grid to a centred (column, row, slice) position of the\n"
           "functional project,\n"
           "  M = F * S_fmr * IA^-1 * X * S_vmr * FA^-1 * A,\n"
           "followed by its factors F, S_fmr, IA^-1, X, S_vmr, FA^-1 and A, each as four\n"
           "rows of four numbers. Every number is the shortest text that reads back to\n"
           "the same single-precision value.\n"
           "\n"
           "FMR is the functional project header, IA, FA and ACPC the initial-alignment,\n"
           "fine-alignment and ACPC transformation files. An FA or ACPC file without a\n"
           "FileVersion entry counts as absent (identity).\n"
           "\n"
           "Options:\n"
           "  --json    print the same as one JSON object: each matrix as four rows under\n"
           "            its name, then \"faInverted\" and \"finite\"; non-finite elements\n"
           "            are null\n"
           "  --help    show this text\n"
           "\n"
           "Exit status: 0 when the chain is usable; 1 when a file cannot be read or when\n"
           "a conversion refuses the chain: the fine-alignment matrix cannot be inverted\n"
           "(FA^-1 is then shown as the identity), M has a non-finite element (for\n"
           "example from a voxel size of 0), or M maps the whole anatomical grid into\n"
           "less than one functional voxel (for example from an FA matrix of zeros).\n"
           "The matrices are printed in these cases too, followed by the conversion's\n"
           "reason on standard error. 2 for usage errors.\n";
}

int runChain(const std::vector<std::string>& args) {
    bool json = false;
    std::vector<std::string> paths;
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::cout << chainHelp();
            return kSuccess;
        }
        if (arg == "--json") {
            json = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::cerr << "zandrel: unknown option '" << arg << "' for chain; try 'zandrel help chain'\n";
            return kUsage;
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() != 4) {
        std::cerr << "zandrel: chain needs the FMR, IA, FA and ACPC files; try 'zandrel help chain'\n";
        return kUsage;
    }

    const FmrHeader fmr = readFmrHeader(paths[0], false);
    const TrfRecord ia = readTrfFile(paths[1]);
    const TrfRecord fa = readTrfFile(paths[2]);
    const TrfRecord acpc = readTrfFile(paths[3]);
    const ChainFactors factors = computeChainFactors(fmr, ia, fa, acpc);

    std::cout << (json ? formatChainJson(factors) : formatChainText(factors)) << std::flush;

    // The judgement of `zandrel convert`, with its reason: a set refused there fails here.
    const ChainVerdict verdict = judgeChain(factors, ChainFiles{fmr.path, ia.path, fa.path, acpc.path});
    if (verdict.usable) return kSuccess;
    std::cerr << "zandrel: " << verdict.reason << "\n";
    return kFailure;
}

}  // namespace zandrel::cli
