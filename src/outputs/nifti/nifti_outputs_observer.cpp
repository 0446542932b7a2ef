#include "outputs/nifti/nifti_outputs_observer.h"

#include <exception>

namespace zandrel {

void NiftiOutputsObserver::onSetFinished(const FileSet& set, const SetResult& result) {
    if (result.outcome != SetOutcome::converted || result.converted == nullptr) return;
    const ConvertedSet& converted = *result.converted;
    std::string message;
    try {
        writeConvertedSetOutputs(set, converted, result.outputPath, mode_);
        return;
    } catch (const std::exception& error) {
        message = error.what();
    } catch (...) {
        message = "unknown error";
    }
    failed_ = true;
    log_.onEntry("!!!! Could not write NIfTI files for " + set.roiPath + ": " + message);
}

}  // namespace zandrel
