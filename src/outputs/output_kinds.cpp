#include "outputs/output_kinds.h"

#include <utility>

#include "zandrel/build_features.h"
#if ZANDREL_WITH_NIFTI
#include "outputs/nifti/nifti_outputs_observer.h"
#include "outputs/nifti/voi_outputs.h"
#endif
#if ZANDREL_WITH_REPORT
#include "outputs/report/report_observer.h"
#endif

namespace zandrel {

namespace {

#if ZANDREL_WITH_NIFTI
NiftiMode niftiMode(const std::string& value) { return value == "masks" ? NiftiMode::Masks : NiftiMode::Labels; }

class NiftiOutput : public BatchOutput {
public:
    explicit NiftiOutput(const BatchOutputStart& start) : nifti_(*start.log, niftiMode(start.value), start.setFiles) {}
    BatchObserver& observer() override { return nifti_; }
    // Each set's failure was logged as it happened.
    Completion finish() override { return {!nifti_.failed(), {}}; }

private:
    NiftiOutputsObserver nifti_;
};
#endif

#if ZANDREL_WITH_REPORT
class ReportOutput : public BatchOutput {
public:
    explicit ReportOutput(const BatchOutputStart& start)
        : dir_(start.value), report_(start.value, start.listPath, kVersion, start.dryRun, {}, start.setFiles) {}
    BatchObserver& observer() override { return report_; }
    Completion finish() override {
        const std::string failure = report_.finish();
        if (failure.empty()) return {};
        return {false, "the report could not be written completely to " + dir_ + ": " + failure};
    }

private:
    std::string dir_;
    report::ReportObserver report_;
};
#endif

OutputKind niftiKind() {
    OutputKind kind;
    kind.option = "--nifti";
    kind.title = "NIfTI output";
    kind.valueName = "MODE";
    kind.values = {"labels", "masks"};
    kind.implicitValue = "labels";
    kind.convertHelp =
        "after each .voi file, also write its NIfTI label\n"
        "image (labels, the default) or one mask per VOI\n"
        "(masks), with a .tsv table and a .json sidecar";
    kind.whereWritten = [](const std::string&) { return std::string("NIfTI files beside the .voi files"); };
    kind.exportHelp =
        "one label image (labels, the default) or one\n"
        "mask per VOI (masks)";
#if ZANDREL_WITH_NIFTI
    kind.startBatch = [](const BatchOutputStart& start) -> std::unique_ptr<BatchOutput> {
        return std::make_unique<NiftiOutput>(start);
    };
    kind.exportVoi = [](const std::string& voiPath, const std::string& value, const std::string& outputDir) {
        NiftiOutputReport report = exportVoiFile(voiPath, niftiMode(value), outputDir);
        return ExportedFiles{std::move(report.written), std::move(report.warnings)};
    };
#else
    kind.missingLibrary = "the NIfTI C library";
#endif
    return kind;
}

OutputKind reportKind() {
    OutputKind kind;
    kind.option = "--report";
    kind.title = "the report";
    kind.valueName = "DIR";
    kind.valueNeeds = "a folder name";
    kind.convertHelp =
        "also write a quality-control report of the batch\n"
        "to folder DIR: index.html with pictures of each\n"
        "converted set's VOIs (a new or empty folder, or an\n"
        "earlier report, which is replaced)";
    kind.whereWritten = [](const std::string& dir) { return "report in " + dir + "/index.html"; };
#if ZANDREL_WITH_REPORT
    kind.startBatch = [](const BatchOutputStart& start) -> std::unique_ptr<BatchOutput> {
        return std::make_unique<ReportOutput>(start);
    };
#else
    kind.missingLibrary = "libpng";
#endif
    return kind;
}

}  // namespace

std::string OutputKind::unavailableText(const std::string& what) const {
    return what + " is not available in this build (built without " + missingLibrary + ")";
}

const std::vector<OutputKind>& outputKinds() {
    // Observers follow the batch in this order: the NIfTI files of a set are written
    // before the report takes the set, so the report sees their failures in its log.
    static const std::vector<OutputKind> kinds = {niftiKind(), reportKind()};
    return kinds;
}

}  // namespace zandrel
