#include "cli/nifti/voi_sidecars.h"

#include <cstdio>

#include "cli/nifti/json_text.h"
#include "cli/nifti/nifti_image_file.h"

#ifndef ZANDREL_VERSION
#define ZANDREL_VERSION "unknown"
#endif

namespace zandrel {

namespace {

using nifti_json::number;
using nifti_json::quoted;

std::string colourText(const Voi& voi) {
    auto clamp = [](std::int32_t c) { return c < 0 ? 0 : (c > 255 ? 255 : c); };
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", clamp(voi.red), clamp(voi.green), clamp(voi.blue));
    return text;
}

std::string tableCell(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

std::string baseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string intList(const std::int32_t* values, std::size_t count) {
    std::string out = "[";
    for (std::size_t n = 0; n < count; ++n) out += (n ? ", " : "") + number(std::int64_t{values[n]});
    return out + "]";
}

}  // namespace

std::string voiTable(const VoiFile& file, const std::vector<VoiFigures>& figures, const NiftiProvenance* provenance) {
    std::string out =
        "index\tname\tcolor\tvoxels\tvolume_mm3\tcentroid_x\tcentroid_y\tcentroid_z\tshared_voxels\t"
        "skipped_roi_voxels\n";
    for (std::size_t n = 0; n < file.vois.size() && n < figures.size(); ++n) {
        const Voi& voi = file.vois[n];
        const VoiFigures& f = figures[n];
        const bool skippedKnown = provenance != nullptr && n < provenance->skippedRoiVoxels.size();
        out += std::to_string(n + 1) + "\t" + tableCell(voi.NameOfVOI.value) + "\t" + colourText(voi) + "\t" +
               number(f.voxels) + "\t" + number(f.volume_mm3) + "\t" + number(f.centroid[0]) + "\t" +
               number(f.centroid[1]) + "\t" + number(f.centroid[2]) + "\t" + number(f.shared_voxels) + "\t" +
               (skippedKnown ? number(provenance->skippedRoiVoxels[n]) : std::string("n/a")) + "\n";
    }
    return out;
}

std::string voiSidecar(const VoiFile& file, const VoiPlacement& placement, NiftiMode mode,
                       const std::vector<std::string>& images, const NiftiProvenance* provenance) {
    std::string out = "{\n";
    out += "  \"space\": " + quoted(spaceName(placement.space)) + ",\n";
    out += "  \"reference_space\": " + quoted(file.ReferenceSpace.value) + ",\n";
    if (!file.fileName.empty()) out += "  \"voi_file\": " + quoted(file.fileName) + ",\n";
    out += "  \"mode\": " + quoted(mode == NiftiMode::Labels ? "labels" : "masks") + ",\n";
    out += "  \"images\": [";
    for (std::size_t n = 0; n < images.size(); ++n) out += (n ? ", " : "") + quoted(baseName(images[n]));
    out += "],\n";
    out += "  \"voi_count\": " + number(static_cast<std::int64_t>(file.vois.size())) + ",\n";
    out += "  \"grid_size\": " + number(std::int64_t{placement.dim}) + ",\n";
    out += "  \"voxel_size_mm\": " + intList(placement.voxelSize.data(), 3) + ",\n";
    const std::array<std::int32_t, 12> m = placement.gridToWorld();
    out += "  \"grid_to_world\": [" + intList(m.data(), 4) + ", " + intList(m.data() + 4, 4) + ", " +
           intList(m.data() + 8, 4) + ", [0, 0, 0, 1]],\n";
    out += "  \"xform_code\": " + number(std::int64_t{niftiXformCode(placement.space)}) + ",\n";
    if (provenance != nullptr && provenance->files) {
        const FileSet& f = *provenance->files;
        const std::pair<const char*, const std::string*> paths[] = {
            {"roi", &f.roiPath},         {"fmr", &f.fmrPath},   {"ia_trf", &f.iaTrfPath},
            {"fa_trf", &f.faTrfPath},    {"acpc_trf", &f.acpcTrfPath}, {"tal", &f.talPath}};
        out += "  \"input_files\": {";
        bool first = true;
        for (const auto& [key, path] : paths) {
            if (path->empty()) continue;
            out += std::string(first ? "" : ", ") + quoted(key) + ": " + quoted(*path);
            first = false;
        }
        out += "},\n";
    }
    if (provenance != nullptr && provenance->chainMatrix) {
        out += "  \"chain_matrix\": {\"maps\": " + quoted(provenance->chainDirection) + ", \"row_major\": [";
        for (std::size_t n = 0; n < 16; ++n) out += (n ? ", " : "") + number((*provenance->chainMatrix)[n]);
        out += "]},\n";
    }
    if (provenance != nullptr && provenance->landmarks) {
        static const char* const names[landmark::Count] = {"AC", "PC", "AP", "PP", "SP", "IP", "RP", "LP"};
        out += "  \"landmarks\": {";
        for (std::size_t n = 0; n < landmark::Count; ++n) {
            const Landmark& l = (*provenance->landmarks)[n];
            const std::int32_t xyz[3] = {l.x, l.y, l.z};
            out += std::string(n ? ", " : "") + quoted(names[n]) + ": " + intList(xyz, 3);
        }
        out += "},\n";
    }
    out += "  \"program\": {\"name\": \"zandrel\", \"version\": " + quoted(ZANDREL_VERSION) + "}\n";
    return out + "}\n";
}

}  // namespace zandrel
