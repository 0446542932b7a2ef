#pragma once

#include <string>

#include "batch/batch_observer.h"
#include "outputs/set_output_files.h"
#include "outputs/nifti/voi_outputs.h"

namespace zandrel {

// Follows a batch run and, after each set's .voi file was saved, writes its NIfTI images,
// table and sidecar beside it (`<stem>.nii.gz` or `<stem>VOI<k>.nii.gz`, `<stem>.tsv`,
// `<stem>.json`, the stem being the .voi path without ".voi"), with the set's provenance.
// A dry run saves nothing and so writes nothing here. A failure is reported as OutputsFailed
// ("NIfTI files") through `log` (the fan-out, so the console and transcript receive it too);
// the .voi file stays. The files written for each set are added to `written` when given.
class NiftiOutputsObserver : public BatchObserver {
public:
    NiftiOutputsObserver(BatchObserver& log, NiftiMode mode, SetOutputFiles* written = nullptr)
        : log_(log), mode_(mode), written_(written) {}

    void onEvent(const BatchEvent& event) override { static_cast<void>(event); }
    void onSetFinished(const FileSet& set, const SetResult& result) override;

    // Whether writing failed for any set.
    bool failed() const { return failed_; }

private:
    BatchObserver& log_;
    NiftiMode mode_;
    SetOutputFiles* written_;
    bool failed_ = false;
};

}  // namespace zandrel
