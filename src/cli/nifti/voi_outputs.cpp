#include "cli/nifti/voi_outputs.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <stdexcept>

#include "cli/nifti/nifti_image_file.h"
#include "cli/nifti/voi_sidecars.h"
#include "voi/output_file.h"
#include "voi/voi_figures.h"
#include "voi/voi_reader.h"
#include "voi/voi_space.h"

namespace zandrel {

namespace {

std::string withoutVoiExtension(const std::string& path) {
    const std::string extension = ".voi";
    if (path.size() >= extension.size() &&
        path.compare(path.size() - extension.size(), extension.size(), extension) == 0) {
        return path.substr(0, path.size() - extension.size());
    }
    return path;
}

// The images of the file, each written to its temporary file.
void writeImages(const VoiFile& file, const VoiPlacement& placement, const VoiCells& cells, NiftiMode mode,
                 const NiftiOutputNames& names, int gzipLevel, std::vector<std::unique_ptr<OutputFile>>& staged) {
    if (mode == NiftiMode::Labels) {
        staged.push_back(std::make_unique<OutputFile>(names.images[0], "nii", ".tmp.nii.gz", true));
        if (file.vois.size() <= 255) {
            writeNiftiImage(*staged.back(), placement, narrowLabelImage(cells, placement), true, gzipLevel);
        } else {
            writeNiftiImage(*staged.back(), placement, labelImage(cells, placement), true, gzipLevel);
        }
        return;
    }
    if (cells.cells.size() > kMaxNiftiMasks) {
        throw std::runtime_error("Masks are written for at most " + std::to_string(kMaxNiftiMasks) +
                                 " VOIs, the file has " + std::to_string(cells.cells.size()));
    }
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(placement.cellCount()), 0);
    for (std::size_t n = 0; n < cells.cells.size(); ++n) {
        for (std::uint32_t cell : cells.cells[n]) mask[cell] = 1;
        staged.push_back(std::make_unique<OutputFile>(names.images[n], "nii", ".tmp.nii.gz", true));
        writeNiftiImage(*staged.back(), placement, mask, false, gzipLevel);
        for (std::uint32_t cell : cells.cells[n]) mask[cell] = 0;
    }
}

void stageText(const std::string& target, const std::string& text, std::vector<std::unique_ptr<OutputFile>>& staged) {
    staged.push_back(std::make_unique<OutputFile>(target, "txt", ".tmp", true));
    staged.back()->write(text);
    staged.back()->finish();
}

}  // namespace

NiftiProvenance conversionProvenance(const FileSet& files, const Matrix4& gridToFunctional, const TalRecord& tal,
                                     const VoiBuildReport& report) {
    NiftiProvenance provenance;
    provenance.files = files;
    std::array<float, 16> values{};
    std::copy(std::begin(gridToFunctional.m), std::end(gridToFunctional.m), values.begin());
    provenance.chainMatrix = values;
    if (tal.FileVersion.value > 0) provenance.landmarks = tal.landmarks;
    provenance.skippedRoiVoxels = report.skippedVoxels;
    provenance.talairachTriples = tal.FileVersion.value != -1;
    return provenance;
}

NiftiOutputNames niftiOutputNames(const std::string& stemPath, NiftiMode mode, std::size_t voiCount) {
    NiftiOutputNames names;
    if (mode == NiftiMode::Labels) {
        names.images.push_back(stemPath + ".nii.gz");
    } else {
        for (std::size_t k = 1; k <= voiCount; ++k) names.images.push_back(stemPath + "VOI" + std::to_string(k) + ".nii.gz");
    }
    names.table = stemPath + ".tsv";
    names.sidecar = stemPath + ".json";
    return names;
}

std::string convertStem(const std::string& voiPath) { return withoutVoiExtension(voiPath); }

std::string exportStem(const std::string& voiPath, const std::string& outputDir) {
    const std::string stem = withoutVoiExtension(voiPath);
    if (outputDir.empty()) return stem;
    const std::size_t slash = stem.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? stem : stem.substr(slash + 1);
    const char last = outputDir.back();
    return outputDir + (last == '/' || last == '\\' ? "" : "/") + name;
}

NiftiOutputReport writeVoiOutputs(const VoiFile& file, const std::string& stemPath, NiftiMode mode,
                                  const NiftiProvenance* provenance, int gzipLevel) {
    const VoiPlacement placement =
        placeVoiFile(file, provenance != nullptr ? provenance->talairachTriples : std::nullopt);
    const VoiCells cells = collectVoiCells(file, placement);
    const std::vector<VoiFigures> figures = computeVoiFigures(cells, placement);
    const NiftiOutputNames names = niftiOutputNames(stemPath, mode, file.vois.size());

    std::vector<std::unique_ptr<OutputFile>> staged;
    writeImages(file, placement, cells, mode, names, gzipLevel, staged);
    stageText(names.table, voiTable(file, figures, provenance), staged);
    stageText(names.sidecar, voiSidecar(file, placement, mode, names.images, provenance), staged);

    NiftiOutputReport report;
    for (const std::unique_ptr<OutputFile>& output : staged) {
        output->commit();
        report.written.push_back(output->target());
    }
    return report;
}

NiftiOutputReport exportVoiFile(const std::string& path, NiftiMode mode, const std::string& outputDir) {
    VoiFileReading reading = readVoiFile(path);
    reading.file.fileName = path;
    NiftiOutputReport report = writeVoiOutputs(reading.file, exportStem(path, outputDir), mode, nullptr);
    report.warnings = std::move(reading.warnings);
    return report;
}

}  // namespace zandrel
