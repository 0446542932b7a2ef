#include "batch/convert_set.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "batch/convert_in_memory.h"
#include "batch/set_check.h"
#include "batch/set_reader.h"
#include "chain/set_chain.h"
#include "formats/shortfall.h"

namespace zandrel {

namespace {

// What the ROI file announces but does not hold, when it lacks anything.
void reportShortfall(const RoiFile& roi, BatchObserver& observer) {
    RoiShortfall shortfall = roiShortfall(roi);
    if (!shortfall.complete()) observer.onEvent(RoiIncomplete{roi.path, std::move(shortfall)});
}

SetOutcome describeFileSet(const FileSet& set, BatchObserver& observer) {
    const SetRecords records = readSetRecords(set);
    requireUsable(computeSetChain(records));
    observer.onEvent(SetWouldConvert{set.roiPath, outputPathFor(set)});
    reportShortfall(records.roi, observer);
    return SetOutcome::converted;
}

}  // namespace

SetOutcome convertFileSet(const FileSet& set, BatchObserver& observer, const ConvertOptions& options,
                          ConvertedSet* kept) {
    if (!checkFileSet(set, observer)) return SetOutcome::reported;
    if (options.dryRun) return describeFileSet(set, observer);

    ConvertedSet converted = convertInMemory(readSetRecords(set, options.loadTimeCourse), options);
    converted.voiFile.fileName = outputPathFor(set);
    converted.voiFile.save();
    // Loaded samples serve no output: released before anything else happens.
    std::vector<VolumeGrid>().swap(converted.records.fmr.volumes);

    observer.onEvent(SetConverted{set.roiPath, converted.voiFile.fileName});
    reportShortfall(converted.records.roi, observer);
    const std::vector<std::int64_t>& skippedVoxels = converted.build.skippedVoxels;
    for (std::size_t index = 0; index < skippedVoxels.size(); ++index) {
        if (skippedVoxels[index] != 0) observer.onEvent(VoxelsSkipped{set.roiPath, index, skippedVoxels[index]});
    }
    if (kept != nullptr) *kept = std::move(converted);
    return SetOutcome::converted;
}

}  // namespace zandrel
