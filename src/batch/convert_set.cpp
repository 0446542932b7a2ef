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
#include "io/file_error.h"
#include "io/output_folder.h"

namespace zandrel {

namespace {

// What the ROI file announces but does not hold, when it lacks anything.
void reportShortfall(const RoiFile& roi, BatchObserver& observer) {
    RoiShortfall shortfall = roiShortfall(roi);
    if (!shortfall.complete()) observer.onEvent(RoiIncomplete{roi.path, std::move(shortfall)});
}

// A dry run fails a set as the real run would when its .voi file cannot be created: the
// folder missing (and not to be made under an output folder), not a folder, or not writable.
void requireWritable(const std::string& outputPath, const ConvertOptions& options) {
    const std::string refusal = creationRefusal(outputPath, !options.outputDir.empty());
    if (!refusal.empty()) throw cannotCreateFile(outputPath, refusal);
}

SetOutcome describeFileSet(const FileSet& set, BatchObserver& observer, const ConvertOptions& options) {
    const SetRecords records = readSetRecords(set);
    requireUsable(computeSetChain(records));
    const std::string outputPath = outputPathFor(set, options.outputDir);
    requireWritable(outputPath, options);
    observer.onEvent(SetWouldConvert{set.roiPath, outputPath});
    reportShortfall(records.roi, observer);
    return SetOutcome::converted;
}

}  // namespace

SetOutcome convertFileSet(const FileSet& set, BatchObserver& observer, const ConvertOptions& options,
                          ConvertedSet* kept) {
    if (!checkFileSet(set, observer)) return SetOutcome::reported;
    if (options.dryRun) return describeFileSet(set, observer, options);

    const std::string outputPath = outputPathFor(set, options.outputDir);
    ConvertedSet converted = convertInMemory(readSetRecords(set, options.loadTimeCourse), options);
    converted.voiFile.fileName = outputPath;
    if (!options.outputDir.empty()) createFoldersFor(outputPath);
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
