#include "batch/convert_set.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

#include "batch/set_check.h"
#include "chain/set_chain.h"
#include "formats/fmr_header.h"
#include "formats/roi_file.h"
#include "formats/tal_record.h"
#include "formats/trf_record.h"
#include "voi/voi_builder.h"
#include "voi/voi_file.h"

namespace zandrel {

namespace {

// Every record of one set, read in the order ROI, FMR, IA, FA, ACPC, TAL.
struct SetRecords {
    RoiFile roi;
    FmrHeader fmr;
    TrfRecord ia;
    TrfRecord fa;
    TrfRecord acpc;
    TalRecord tal;  // the empty record (FileVersion -1) when the set names no TAL file
};

SetRecords readSetRecords(const FileSet& set, bool readTimeCourse) {
    SetRecords records;
    records.roi = readRoiFile(set.roiPath);
    records.fmr = readFmrHeader(set.fmrPath, readTimeCourse);
    records.ia = readTrfFile(set.iaTrfPath);
    records.fa = readTrfFile(set.faTrfPath);
    records.acpc = readTrfFile(set.acpcTrfPath);
    if (!set.talPath.empty()) records.tal = readTalFile(set.talPath);
    return records;
}

// The set's chain, computed once; its verdict names the files as the list gives them.
SetChain chainOf(const SetRecords& records) {
    return computeSetChain(records.fmr, records.ia, records.fa, records.acpc, records.tal);
}

}  // namespace

SetOutcome convertFileSet(const FileSet& set, BatchObserver& log, bool crlf, VoiFile* saved) {
    if (!checkFileSet(set, log)) return SetOutcome::reported;

    VoiBuildReport report;
    {
        const SetRecords records = readSetRecords(set, true);
        const SetChain chain = chainOf(records);
        requireUsable(chain);
        VoiFile voiFile = buildVoiFile(records.roi, records.fmr, chain, &report);
        voiFile.fileName = outputPathFor(set);
        voiFile.crlf = crlf;
        voiFile.save();
        if (saved != nullptr) *saved = std::move(voiFile);
    }  // the records and the time-course data are released before logging

    log.onEntry("Converted " + set.roiPath);
    for (std::size_t index = 0; index < report.skippedVoxels.size(); ++index) {
        const std::int64_t skipped = report.skippedVoxels[index];
        if (skipped == 0) continue;
        log.onEntry("VOI " + std::to_string(index + 1) + " of " + set.roiPath + ": " +
                    std::to_string(skipped) + " voxels outside the functional grid were skipped");
    }
    return SetOutcome::converted;
}

SetOutcome describeFileSet(const FileSet& set, BatchObserver& log) {
    if (!checkFileSet(set, log)) return SetOutcome::reported;
    const SetRecords records = readSetRecords(set, false);
    requireUsable(chainOf(records));
    log.onEntry("Would write " + outputPathFor(set) + " from " + set.roiPath);
    return SetOutcome::converted;
}

}  // namespace zandrel
