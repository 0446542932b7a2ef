// `zandrel chain FMR IA FA ACPC [--json]`: the chain matrix of one set and its factors.
#include "cli/chain_command.h"

#include <iostream>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "outputs/inspect/chain_json.h"
#include "zandrel/chain.h"

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
    "  1  a file cannot be read or a transformation file holds an incomplete matrix\n"
    "     (nothing is printed then), or a conversion refuses the chain: the\n"
    "     fine-alignment matrix cannot be inverted (FA^-1 is then shown as the\n"
    "     identity), M has a non-finite element (for example from a voxel size of\n"
    "     0), or M maps the whole anatomical grid into less than one functional\n"
    "     voxel (for example from an FA matrix of zeros). The matrices are printed\n"
    "     in these last cases too, followed by the conversion's reason on standard\n"
    "     error.\n"
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
    FileSet set;
    set.fmrPath = options.fmrPath;
    set.iaTrfPath = options.iaPath;
    set.faTrfPath = options.faPath;
    set.acpcTrfPath = options.acpcPath;
    // Read as `zandrel convert` reads them: what it refuses, with its reason, is refused here.
    const ChainRecords records = readChainRecords(set);
    const FmrHeader& fmr = records.fmr;
    const ChainFactors factors = computeChainFactors(fmr, records.ia, records.fa, records.acpc);

    std::cout << (options.json ? formatChainJson(factors) : formatChainText(factors)) << std::flush;

    // The judgement of `zandrel convert`, with its reason: a set refused there fails here.
    const ChainVerdict verdict = judgeChain(factors, ChainFiles{fmr.path, records.ia.path, records.fa.path, records.acpc.path});
    if (verdict.usable) return kSuccess;
    std::cerr << "zandrel chain: " << verdict.reason << "\n";
    return kFailure;
}

}  // namespace zandrel::cli
