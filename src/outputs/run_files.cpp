#include "outputs/run_files.h"

#include <memory>
#include <stdexcept>
#include <vector>

#include "io/output_group.h"
#include "outputs/runs/coverage_table.h"
#include "outputs/runs/occupancy_map.h"
#include "outputs/runs/roi_text.h"
#include "zandrel/build_features.h"
#if ZANDREL_WITH_NIFTI
#include "outputs/nifti/occupancy_image.h"
#endif

namespace zandrel {

namespace {

// Staged as a hidden temporary file beside its target, named by `tag`; the image's name ends
// in ".nii.gz" so that the NIfTI library compresses it.
void stageText(OutputGroup& group, const std::string& target, const char* tag, const std::string& text) {
    OutputFile& file = group.add(target, tag, ".tmp", true);
    file.write(text);
    file.finish();
}

#if ZANDREL_WITH_NIFTI
void stageImages(const ProjectedRun& run, OutputGroup& group) {
    if (run.footprint.vois.empty()) return;
    const std::string imagePath = run.outputStem + "_occupancy.nii.gz";
    const std::optional<WorldMatrix> toWorld = functionalToWorld(run.chain, run.footprint.dims);
    if (!toWorld) throw std::runtime_error("Cannot Create file: " + imagePath + " (the chain cannot be inverted)");
    const std::vector<float> values = occupancyVolumes(run.footprint, imagePath);
    writeOccupancyImage(group.add(imagePath, "nii", ".tmp.nii.gz", true), run.footprint.dims,
                        static_cast<std::int32_t>(run.footprint.vois.size()), values, *toWorld);
    stageText(group, run.outputStem + "_occupancy.json", "json", occupancySidecarText(run, imagePath, *toWorld));
}
#endif

}  // namespace

bool occupancyImagesAvailable() { return ZANDREL_WITH_NIFTI != 0; }

void writeProjectedRun(const ProjectedRun& run, const ProjectOptions& options, bool withImages) {
    std::vector<std::vector<VoxelTriple>> plots;
    plots.reserve(run.footprint.vois.size());
    for (const VoiFootprint& voi : run.footprint.vois) plots.push_back(selectedCells(voi, options.minOccupancy));

    OutputGroup group;
    stageText(group, run.outputStem + ".roi", "roi", roiFileText(plots));
    stageText(group, run.outputStem + "_coverage.tsv", "tsv", coverageTableText(run.footprint, options.minOccupancy));
    if (withImages) {
#if ZANDREL_WITH_NIFTI
        stageImages(run, group);
#else
        throw std::logic_error("occupancy images are not built in");
#endif
    }
    group.commitAll();
}

}  // namespace zandrel
