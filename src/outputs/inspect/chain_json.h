#pragma once

#include <string>

#include "chain/chain_factors.h"

namespace zandrel {

// M and then its factors F, S_fmr, IA^-1, X, S_vmr, FA^-1 and A, each under its name as
// four rows of four numbers (shortestFloat), right-aligned per matrix; a blank line
// between matrices.
std::string formatChainText(const ChainFactors& factors);

// The same as one JSON object: each matrix as four rows of four numbers under its name,
// then "faInverted" and "finite". Non-finite elements are the strings "NaN", "Infinity"
// and "-Infinity", as in every JSON output of the command line.
std::string formatChainJson(const ChainFactors& factors);

}  // namespace zandrel
