#pragma once

#include "chain/chain_factors.h"
#include "chain/chain_verdict.h"
#include "chain/landmark_mapping.h"
#include "formats/fmr_header.h"
#include "formats/tal_record.h"
#include "formats/trf_record.h"

namespace zandrel {

// The space of the anatomical grid that a set's VOIs are written in.
enum class GridSpace {
    native,     // no ACPC transformation: the anatomical grid as scanned ("GF")
    acpc,       // ACPC space ("ACPC")
    talairach,  // ACPC space with a TAL record ("TAL")
};

// Everything one set's anatomical grid needs to reach its functional grid, computed once
// per set and handed to the VOI builder: a grid point (i, j, k) goes through
// talairachToAcpc (when it applies), is centred, and goes through gridToFunctional.
struct SetChain {
    ChainFactors factors;             // factors.gridToFunctional is the chain matrix
    TalairachToAcpc talairachToAcpc;  // the landmark step
    GridSpace space = GridSpace::acpc;
    bool talairachForm = false;       // kept points written as (128 - k, 128 - i, 128 - j)
    ChainVerdict verdict;

    const Matrix4& gridToFunctional() const { return factors.gridToFunctional; }
};

// The chain of one set from its records; `tal` is the empty record (FileVersion -1) when
// the set has no TAL file. Checks nothing beyond the verdict, which names the records' paths.
SetChain computeSetChain(const FmrHeader& fmr, const TrfRecord& ia, const TrfRecord& fa, const TrfRecord& acpc,
                         const TalRecord& tal);

// Throws std::runtime_error with the verdict's reason when the chain is not usable.
void requireUsable(const SetChain& chain);

}  // namespace zandrel
