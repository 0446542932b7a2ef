#pragma once

#include <optional>
#include <string>

#include "chain/set_chain.h"
#include "voi/voi_file.h"

namespace zandrel {

// Why a .voi file cannot be placed on the run whose chain this is, or nothing when it fits.
// It fits when its ReferenceSpace is the word converting a ROI of the run writes, in any
// letter case (any other word, "MNI" and the native-space words included, does not), and,
// for grid files ("ACPC", "GF"), when its grid is the 256-point grid of 1 mm without an
// offset: OriginalVMRResolutionX, Y and Z 1, OriginalVMRFramingCubeDim 256 and
// OriginalVMROffsetX, Y and Z 0 (a field the file lacks counts as that value). Its triples
// are then read in the form that conversion writes: grid indices when the run has no TAL
// record, Talairach coordinates otherwise. The text names the fields, not the file.
std::optional<std::string> spaceMismatch(const VoiFile& file, const SetChain& chain);

}  // namespace zandrel
