#include "outputs/nifti/nifti_outputs_observer.h"

#include <exception>

#include "batch/log_wording.h"
#include "io/file_error.h"

namespace zandrel {

void NiftiOutputsObserver::onSetFinished(const FileSet& set, const SetResult& result) {
    if (result.outcome != SetOutcome::converted || result.converted == nullptr) return;
    const ConvertedSet& converted = *result.converted;
    std::string message;
    std::string reason;
    try {
        const NiftiOutputReport report = writeConvertedSetOutputs(set, converted, result.outputPath, mode_);
        if (written_ != nullptr) written_->add(result.setNumber, report.written);
        return;
    } catch (const FileError& error) {
        message = error.what();
        reason = error.reason();
    } catch (const std::exception& error) {
        message = error.what();
    } catch (...) {
        message = kUnknownError;
    }
    failed_ = true;
    log_.onEvent(OutputsFailed{"NIfTI files", set.roiPath, message, reason});
}

}  // namespace zandrel
