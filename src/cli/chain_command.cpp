// `zandrel chain FMR IA FA ACPC [--json]`: the chain matrix of one set and its factors.
#include "cli/chain_command.h"

#include <iostream>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "outputs/inspect/chain_json.h"
#include "zandrel/chain.h"
#include "zandrel/records.h"

namespace zandrel::cli {

namespace {

const char* const kFooter =
    "The chain matrix maps a centred position on the 256-point anatomical grid to a\n"
    "centred (column, row, slice) position of the functional project,\n"
    "  M = F * S_fmr * IA^-1 * X * S_vmr * FA^-1 * A.\n"
    "It is printed first, followed by its factors F, S_fmr, IA^-1, X, S_vmr, FA^-1\n"
    "and A, each as four rows of four numbers. Every number is the shortest text that\n"
    "reads back to the same single-precision value; values that are not finite are\n"
    "NaN, Infinity and -Infinity (in JSON as strings).\n"
    "\n"
    "An FA or ACPC file without a FileVersion entry counts as absent (identity).\n"
    "\n"
    "Exit status:\n"
    "  0  the chain is usable\n"
    "  1  a file cannot be read, or a conversion refuses the chain: the fine-alignment\n"
    "     matrix cannot be inverted (FA^-1 is then shown as the identity), M has a\n"
    "     non-finite element (for example from a voxel size of 0), or M maps the whole\n"
    "     anatomical grid into less than one functional voxel (for example from an FA\n"
    "     matrix of zeros). The matrices are printed in these cases too, followed by\n"
    "     the conversion's reason on standard error.\n"
    "  2  usage error\n";

}  // namespace

Command addChainCommand(CLI::App& zandrel) {
    CLI::App* command = zandrel.add_subcommand("chain", "print the chain matrix of a set and its factors");
    auto options = std::make_shared<ChainOptions>();
    command->add_option("FMR", options->fmrPath, "the functional project header")->required()->type_name("");
    command->add_option("IA", options->iaPath, "the initial-alignment file")->required()->type_name("");
    command->add_option("FA", options->faPath, "the fine-alignment file")->required()->type_name("");
    command->add_option("ACPC", options->acpcPath, "the ACPC transformation file")->required()->type_name("");
    command->add_flag("--json", options->json,
                      "print the same as one JSON object: each matrix as\n"
                      "four rows under its name, then \"faInverted\" and\n"
                      "\"finite\"");
    command->footer(kFooter);
    return {command, [options] { return runChain(*options); }};
}

int runChain(const ChainOptions& options) {
    const FmrHeader fmr = readFmrHeader(options.fmrPath, false);
    const TrfRecord ia = readTrfFile(options.iaPath);
    const TrfRecord fa = readTrfFile(options.faPath);
    const TrfRecord acpc = readTrfFile(options.acpcPath);
    const ChainFactors factors = computeChainFactors(fmr, ia, fa, acpc);

    std::cout << (options.json ? formatChainJson(factors) : formatChainText(factors)) << std::flush;

    // The judgement of `zandrel convert`, with its reason: a set refused there fails here.
    const ChainVerdict verdict = judgeChain(factors, ChainFiles{fmr.path, ia.path, fa.path, acpc.path});
    if (verdict.usable) return kSuccess;
    std::cerr << "zandrel: " << verdict.reason << "\n";
    return kFailure;
}

}  // namespace zandrel::cli
