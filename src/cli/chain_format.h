#pragma once

#include <string>

#include "chain/chain_factors.h"

namespace zandrel::cli {

// The shortest decimal text that reads back to the same float ("0.1", "-0", "1e-07");
// "inf", "-inf" or "nan" for the non-finite values.
std::string shortestFloat(float value);

// M and then its factors F, S_fmr, IA^-1, X, S_vmr, FA^-1 and A, each under its name as
// four rows of four numbers, right-aligned per matrix; a blank line between matrices.
std::string formatChainText(const ChainFactors& factors);

// The same as one JSON object: each matrix as four rows of four numbers under its name,
// then "faInverted" and "finite". Non-finite elements, which JSON cannot hold, are null.
std::string formatChainJson(const ChainFactors& factors);

}  // namespace zandrel::cli
