#include "runs/voi_fit.h"

#include "voi/voi_builder.h"
#include "voi/voi_space.h"

namespace zandrel {

namespace {

const char* whyRunSpace(GridSpace space) {
    switch (space) {
        case GridSpace::native: return "the run has no ACPC transformation";
        case GridSpace::talairach: return "the run has an ACPC transformation and a TAL file";
        case GridSpace::acpc: break;
    }
    return "the run has an ACPC transformation and no TAL file";
}

// A field the file lacks takes the value of a fresh file.
std::optional<std::string> offGridField(const KeyedInt& field, const char* key, std::int32_t wanted) {
    if (!field.present || field.value == wanted) return std::nullopt;
    return std::string("its grid is not the 256-point grid of 1 mm that the run's chain reaches: ") + key + " is " +
           std::to_string(field.value) + ", not " + std::to_string(wanted);
}

}  // namespace

std::optional<std::string> spaceMismatch(const VoiFile& file, const SetChain& chain) {
    const std::string& text = file.ReferenceSpace.value;
    const char* runSpace = referenceSpaceText(chain.space);
    if (!sameSpaceWord(text, runSpace)) {
        return "ReferenceSpace \"" + text + "\" does not fit the run: its VOIs are in \"" + runSpace + "\" space (" +
               whyRunSpace(chain.space) + ")";
    }
    if (chain.space == GridSpace::talairach) return std::nullopt;
    for (const auto& check : {offGridField(file.OriginalVMRResolutionX, "OriginalVMRResolutionX", 1),
                              offGridField(file.OriginalVMRResolutionY, "OriginalVMRResolutionY", 1),
                              offGridField(file.OriginalVMRResolutionZ, "OriginalVMRResolutionZ", 1),
                              offGridField(file.OriginalVMRFramingCubeDim, "OriginalVMRFramingCubeDim", 256),
                              offGridField(file.OriginalVMROffsetX, "OriginalVMROffsetX", 0),
                              offGridField(file.OriginalVMROffsetY, "OriginalVMROffsetY", 0),
                              offGridField(file.OriginalVMROffsetZ, "OriginalVMROffsetZ", 0)}) {
        if (check) return check;
    }
    return std::nullopt;
}

}  // namespace zandrel
