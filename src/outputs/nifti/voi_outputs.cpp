#include "outputs/nifti/voi_outputs.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <stdexcept>

#include "outputs/nifti/nifti_image_file.h"
#include "outputs/table/voi_sidecars.h"
#include "io/output_file.h"
#include "voi/voi_figures.h"
#include "voi/voi_reader.h"
#include "voi/voi_space.h"

namespace zandrel {

namespace {

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

NiftiOutputReport writeConvertedSetOutputs(const FileSet& set, const ConvertedSet& converted,
                                           const std::string& voiPath, NiftiMode mode) {
    const NiftiProvenance provenance =
        conversionProvenance(set, converted.chain.gridToFunctional(), converted.records.tal, converted.build);
    return writeVoiOutputs(converted.voiFile, convertStem(voiPath), mode, &provenance);
}

NiftiOutputReport exportVoiFile(const std::string& path, NiftiMode mode, const std::string& outputDir) {
    VoiFileReading reading = readVoiFile(path);
    reading.file.fileName = path;
    NiftiOutputReport report = writeVoiOutputs(reading.file, exportStem(path, outputDir), mode, nullptr);
    report.warnings = std::move(reading.warnings);
    return report;
}

}  // namespace zandrel
