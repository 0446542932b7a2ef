#pragma once

#include <string>

#include "chain/chain_factors.h"

namespace zandrel {

// The files whose values went into a chain, named in the reason when it is refused.
struct ChainFiles {
    std::string fmr;
    std::string ia;
    std::string fa;
    std::string acpc;
};

// Whether a chain can describe a real alignment; when not, why, naming the files to check.
struct ChainVerdict {
    bool usable = true;
    std::string reason;  // empty when usable
};

// The one judgement of a chain, shared by the conversion and by `zandrel chain`, in this
// order: the fine alignment could not be inverted; the chain has a non-finite element; its
// linear part maps the whole anatomical grid into less than one functional voxel.
ChainVerdict judgeChain(const ChainFactors& factors, const ChainFiles& files);

// True when the linear part of `gridToFunctional` is singular or nearly so: the image of
// the anatomical grid's 256^3 points has a volume below one functional voxel.
bool isDegenerate(const Matrix4& gridToFunctional);

}  // namespace zandrel
