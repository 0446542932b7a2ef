#include "list_report.h"

#include <exception>
#include <fstream>
#include <new>
#include <stdexcept>

#include "batch/list_reader.h"
#include "batch/set_check.h"
#include "batch/batch_observer.h"
#include "cli/report/report_builder.h"
#include "voi/voi_builder.h"

namespace zandrel::test {

using report::ReportBuilder;
using report::ReportOutcome;

namespace {

// Hands every log entry to the report.
class EntriesToReport : public BatchObserver {
public:
    explicit EntriesToReport(ReportBuilder& builder) : builder_(builder) {}
    void onEntry(const std::string& text) override { builder_.addLogEntry(text); }

private:
    ReportBuilder& builder_;
};

void buildSet(const FileSet& set, ReportBuilder& builder, BatchObserver& log) {
    report::SetRecords records;
    records.roi = readRoiFile(set.roiPath);
    records.fmr = readFmrHeader(set.fmrPath, false);
    records.ia = readTrfFile(set.iaTrfPath);
    records.fa = readTrfFile(set.faTrfPath);
    records.acpc = readTrfFile(set.acpcTrfPath);
    if (!set.talPath.empty()) records.tal = readTalFile(set.talPath);
    VoiBuildReport built;
    VoiFile voiFile = buildVoiFile(records.roi, records.fmr, records.ia, records.fa, records.acpc, records.tal, &built);
    log.onEntry("Converted " + set.roiPath);
    builder.setBuilt(std::move(voiFile), std::move(built.skippedVoxels), std::move(records));
}

}  // namespace

report::ReportModel reportOfList(const std::string& listPath, const std::string& programVersion) {
    std::ifstream list(listPath, std::ios::binary);
    if (!list) throw std::runtime_error("Cannot read list " + listPath);
    ReportBuilder builder(listPath, programVersion, false);
    EntriesToReport log(builder);
    ListReader reader(list);
    FileSet set;
    while (reader.next(set)) {
        builder.startSet(set);
        builder.setOutputPath(outputPathFor(set));
        if (!checkFileSet(set, log)) {
            builder.finishSet(ReportOutcome::reported);
            continue;
        }
        try {
            buildSet(set, builder, log);
            builder.finishSet(ReportOutcome::converted);
        } catch (const std::exception& error) {
            log.onEntry("!!!! Could not convert " + set.roiPath + ": " + error.what());
            builder.finishSet(ReportOutcome::failed);
        }
    }
    builder.finishBatch();
    return builder.model();
}

}  // namespace zandrel::test
