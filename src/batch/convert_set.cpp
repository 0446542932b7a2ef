#include "batch/convert_set.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "batch/set_check.h"
#include "batch/set_reader.h"
#include "chain/set_chain.h"
#include "formats/shortfall.h"

namespace zandrel {

namespace {

// The set's chain, computed once; its verdict names the files as the list gives them.
SetChain chainOf(const SetRecords& records) {
    return computeSetChain(records.fmr, records.ia, records.fa, records.acpc, records.tal);
}

// The entry on what the ROI file announces but does not hold, when it lacks anything.
void logShortfall(const RoiFile& roi, BatchObserver& log) {
    const std::string shortfall = roiShortfallText(roi);
    if (!shortfall.empty()) log.onEntry(shortfall);
}

SetOutcome describeFileSet(const FileSet& set, BatchObserver& log) {
    const SetRecords records = readSetRecords(set, false);
    requireUsable(chainOf(records));
    log.onEntry("Would write " + outputPathFor(set) + " from " + set.roiPath);
    logShortfall(records.roi, log);
    return SetOutcome::converted;
}

}  // namespace

SetOutcome convertFileSet(const FileSet& set, BatchObserver& log, const ConvertOptions& options,
                          ConvertedSet* kept) {
    if (!checkFileSet(set, log)) return SetOutcome::reported;
    if (options.dryRun) return describeFileSet(set, log);

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

}  // namespace zandrel
