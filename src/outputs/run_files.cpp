#include "outputs/run_files.h"

#include <memory>
#include <stdexcept>
#include <vector>

#include "io/output_file.h"
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
std::unique_ptr<OutputFile> stagedText(const std::string& target, const char* tag, const std::string& text) {
    auto file = std::make_unique<OutputFile>(target, tag, ".tmp", true);
    file->write(text);
    file->finish();
    return file;
}

#if ZANDREL_WITH_NIFTI
void stageImages(const ProjectedRun& run, std::vector<std::unique_ptr<OutputFile>>& staged) {
    if (run.footprint.vois.empty()) return;
    const std::string imagePath = run.outputStem + "_occupancy.nii.gz";
    const std::optional<WorldMatrix> toWorld = functionalToWorld(run.chain, run.footprint.dims);
    if (!toWorld) throw std::runtime_error("Cannot Create file: " + imagePath + " (the chain cannot be inverted)");
    const std::vector<float> values = occupancyVolumes(run.footprint, imagePath);
    auto image = std::make_unique<OutputFile>(imagePath, "nii", ".tmp.nii.gz", true);
    writeOccupancyImage(*image, run.footprint.dims, static_cast<std::int32_t>(run.footprint.vois.size()), values,
                        *toWorld);
    staged.push_back(std::move(image));
    staged.push_back(stagedText(run.outputStem + "_occupancy.json", "json",
                                occupancySidecarText(run, imagePath, *toWorld)));
}
#endif

}  // namespace

bool occupancyImagesAvailable() { return ZANDREL_WITH_NIFTI != 0; }

void writeProjectedRun(const ProjectedRun& run, const ProjectOptions& options, bool withImages) {
    std::vector<std::vector<VoxelTriple>> plots;
    plots.reserve(run.footprint.vois.size());
    for (const VoiFootprint& voi : run.footprint.vois) plots.push_back(selectedCells(voi, options.minOccupancy));

    std::vector<std::unique_ptr<OutputFile>> staged;
    staged.push_back(stagedText(run.outputStem + ".roi", "roi", roiFileText(plots)));
    staged.push_back(stagedText(run.outputStem + "_coverage.tsv", "tsv",
                                coverageTableText(run.footprint, options.minOccupancy)));
    if (withImages) {
#if ZANDREL_WITH_NIFTI
        stageImages(run, staged);
#else
        throw std::logic_error("occupancy images are not built in");
#endif
    }
    for (const std::unique_ptr<OutputFile>& file : staged) file->commit();
}

}  // namespace zandrel
