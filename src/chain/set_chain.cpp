#include "chain/set_chain.h"

#include <stdexcept>

namespace zandrel {

SetChain computeSetChain(const FmrHeader& fmr, const TrfRecord& ia, const TrfRecord& fa, const TrfRecord& acpc,
                         const TalRecord& tal) {
    SetChain chain;
    chain.factors = computeChainFactors(fmr, ia, fa, acpc);
    chain.talairachToAcpc = talairachToAcpcOf(tal);
    // A TAL record without ACPC transformation still writes Talairach triples, on the native grid.
    const bool talairach = tal.FileVersion.value != -1;
    if (acpc.FileVersion.value == -1) chain.space = GridSpace::native;
    else chain.space = talairach ? GridSpace::talairach : GridSpace::acpc;
    chain.talairachForm = talairach;
    chain.verdict = judgeChain(chain.factors, ChainFiles{fmr.path, ia.path, fa.path, acpc.path});
    return chain;
}

void requireUsable(const SetChain& chain) {
    if (!chain.verdict.usable) throw std::runtime_error(chain.verdict.reason);
}

}  // namespace zandrel
