#include "batch/convert_set.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "batch/set_check.h"
#include "chain/set_chain.h"
#include "formats/shortfall.h"

namespace zandrel {

namespace {

// Throws `refusal` when it is not empty: a record that lacks what the conversion needs.
void refuseWhen(const std::string& refusal) {
    if (!refusal.empty()) throw std::runtime_error(refusal);
}

// Reads the set's records. The time-course samples enter no output, so the file is only
// checked as far as outputs depend on it (name, regular file, size), in the place where
// loading it used to fail; `loadTimeCourse` loads the samples instead. A transformation
// whose matrix is incomplete and a landmark file without all its landmarks are refused.
SetRecords readSetRecords(const FileSet& set, bool loadTimeCourse) {
    SetRecords records;
    records.roi = readRoiFile(set.roiPath);
    records.fmr = readFmrHeader(set.fmrPath, loadTimeCourse);
    if (!loadTimeCourse) checkTimeCourseFile(records.fmr);
    records.ia = readTrfFile(set.iaTrfPath);
    refuseWhen(trfMatrixRefusal(records.ia));
    records.fa = readTrfFile(set.faTrfPath);
    refuseWhen(trfMatrixRefusal(records.fa));
    records.acpc = readTrfFile(set.acpcTrfPath);
    refuseWhen(trfMatrixRefusal(records.acpc));
    if (!set.talPath.empty()) {
        records.tal = readTalFile(set.talPath);
        refuseWhen(talLandmarkRefusal(records.tal));
    }
    return records;
}

// The set's chain, computed once; its verdict names the files as the list gives them.
SetChain chainOf(const SetRecords& records) {
    return computeSetChain(records.fmr, records.ia, records.fa, records.acpc, records.tal);
}

// The entry on what the ROI file announces but does not hold, when it lacks anything.
void logShortfall(const RoiFile& roi, BatchObserver& log) {
    const std::string shortfall = roiShortfallText(roi);
    if (!shortfall.empty()) log.onEntry(shortfall);
}

}  // namespace

SetOutcome convertFileSet(const FileSet& set, BatchObserver& log, const ConvertOptions& options,
                          ConvertedSet* kept) {
    if (!checkFileSet(set, log)) return SetOutcome::reported;

    ConvertedSet converted;
    converted.records = readSetRecords(set, options.loadTimeCourse);
    converted.chain = chainOf(converted.records);
    requireUsable(converted.chain);
    converted.voiFile = buildVoiFile(converted.records.roi, converted.records.fmr, converted.chain, &converted.build);
    converted.voiFile.fileName = outputPathFor(set);
    converted.voiFile.crlf = options.crlf;
    converted.voiFile.save();
    // Loaded samples serve no output: released before anything else happens.
    std::vector<VolumeGrid>().swap(converted.records.fmr.volumes);

    log.onEntry("Converted " + set.roiPath);
    logShortfall(converted.records.roi, log);
    const std::vector<std::int64_t>& skippedVoxels = converted.build.skippedVoxels;
    for (std::size_t index = 0; index < skippedVoxels.size(); ++index) {
        const std::int64_t skipped = skippedVoxels[index];
        if (skipped == 0) continue;
        log.onEntry("VOI " + std::to_string(index + 1) + " of " + set.roiPath + ": " +
                    std::to_string(skipped) + " voxels outside the functional grid were skipped");
    }
    if (kept != nullptr) *kept = std::move(converted);
    return SetOutcome::converted;
}

SetOutcome describeFileSet(const FileSet& set, BatchObserver& log) {
    if (!checkFileSet(set, log)) return SetOutcome::reported;
    const SetRecords records = readSetRecords(set, false);
    requireUsable(chainOf(records));
    log.onEntry("Would write " + outputPathFor(set) + " from " + set.roiPath);
    logShortfall(records.roi, log);
    return SetOutcome::converted;
}

}  // namespace zandrel
