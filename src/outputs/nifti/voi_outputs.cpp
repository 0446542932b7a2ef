#include "outputs/nifti/voi_outputs.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <stdexcept>

#include "outputs/nifti/nifti_image_file.h"
#include "outputs/table/voi_sidecars.h"
#include "io/output_group.h"
#include "outputs/nifti/stale_outputs.h"
#include "voi/voi_figures.h"
#include "voi/voi_reader.h"
#include "voi/voi_space.h"

namespace zandrel {

namespace {

// The images of the file, each written to its temporary file in the group.
void writeImages(const VoiFile& file, const VoiPlacement& placement, const VoiCells& cells, NiftiMode mode,
                 const NiftiOutputNames& names, int gzipLevel, OutputGroup& group) {
    if (mode == NiftiMode::Labels) {
        OutputFile& image = group.add(names.images[0], "nii", ".tmp.nii.gz", true);
        if (file.vois.size() <= 255) {
            writeNiftiImage(image, placement, narrowLabelImage(cells, placement), true, gzipLevel);
        } else {
            writeNiftiImage(image, placement, labelImage(cells, placement), true, gzipLevel);
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
        writeNiftiImage(group.add(names.images[n], "nii", ".tmp.nii.gz", true), placement, mask, false, gzipLevel);
        for (std::uint32_t cell : cells.cells[n]) mask[cell] = 0;
    }
}

void stageText(const std::string& target, const std::string& text, OutputGroup& group) {
    OutputFile& output = group.add(target, "txt", ".tmp", true);
    output.write(text);
    output.finish();
}

// Every file the outputs consist of, for the sidecar: the .voi when it lies beside them
// under the stem's name (a conversion's, or an export beside its .voi), the images, the
// table and the sidecar.
std::vector<std::string> outputFiles(const VoiFile& file, const std::string& stemPath, const NiftiOutputNames& names) {
    std::vector<std::string> files;
    if (file.fileName == stemPath + ".voi") files.push_back(file.fileName);
    files.insert(files.end(), names.images.begin(), names.images.end());
    files.push_back(names.table);
    files.push_back(names.sidecar);
    return files;
}

std::string fileName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

NiftiOutputReport writeVoiOutputs(const VoiFile& file, const std::string& stemPath, NiftiMode mode,
                                  const NiftiProvenance* provenance, int gzipLevel) {
    const VoiPlacement placement =
        placeVoiFile(file, provenance != nullptr ? provenance->talairachTriples : std::nullopt);
    const VoiCells cells = collectVoiCells(file, placement);
    const std::vector<VoiFigures> figures = computeVoiFigures(cells, placement);
    const NiftiOutputNames names = niftiOutputNames(stemPath, mode, file.vois.size());
    const std::vector<std::string> files = outputFiles(file, stemPath, names);
    // Read before anything is replaced: the sidecar about to be written is its successor.
    const std::vector<std::string> previous = previousOutputFiles(names.sidecar);

    OutputGroup group;
    writeImages(file, placement, cells, mode, names, gzipLevel, group);
    stageText(names.table, voiTable(file, figures, provenance), group);
    stageText(names.sidecar, voiSidecar(file, placement, mode, names.images, files, provenance), group);
    group.commitAll();

    std::vector<std::string> current;
    for (const std::string& path : files) current.push_back(fileName(path));
    removeStaleOutputs(stemPath, previous, current);

    NiftiOutputReport report;
    report.written = group.targets();
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
