#include "outputs/table/voi_sidecars.h"

#include <cstdio>
#include <sstream>

#include "io/json_writer.h"
#include "io/shortest_float.h"
#include "outputs/table/nifti_conventions.h"

#include "zandrel/build_features.h"

namespace zandrel {

namespace {

std::string number(std::int64_t value) { return std::to_string(value); }
std::string number(double value) { return shortestFloat(value); }

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

void intArray(JsonWriter& json, const std::int32_t* values, std::size_t count) {
    json.beginArray(true);
    for (std::size_t n = 0; n < count; ++n) json.integer(values[n]);
    json.endArray();
}

// The three centroid columns; "n/a" in each for an empty VOI.
std::string centroidCells(const VoiFigures& f) {
    if (!f.hasCentroid()) return "n/a\tn/a\tn/a";
    return number(f.centroid[0]) + "\t" + number(f.centroid[1]) + "\t" + number(f.centroid[2]);
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
               number(f.voxels) + "\t" + number(f.volumeMm3) + "\t" + centroidCells(f) + "\t" + number(f.sharedVoxels) + "\t" +
               (skippedKnown ? number(provenance->skippedRoiVoxels[n]) : std::string("n/a")) + "\n";
    }
    return out;
}

std::string voiSidecar(const VoiFile& file, const VoiPlacement& placement, NiftiMode mode,
                       const std::vector<std::string>& images, const std::vector<std::string>& outputFiles,
                       const NiftiProvenance* provenance) {
    std::ostringstream out;
    JsonWriter json(out);
    json.beginObject();
    json.key("space").string(spaceName(placement.space));
    json.key("reference_space").string(file.ReferenceSpace.value);
    if (!file.fileName.empty()) json.key("voi_file").string(file.fileName);
    json.key("mode").string(mode == NiftiMode::Labels ? "labels" : "masks");
    json.key("images").beginArray(true);
    for (const std::string& image : images) json.string(baseName(image));
    json.endArray();
    json.key("output_files").beginArray(true);
    for (const std::string& name : outputFiles) json.string(baseName(name));
    json.endArray();
    json.key("voi_count").integer(static_cast<std::int64_t>(file.vois.size()));
    json.key("grid_size").integer(placement.dim);
    json.key("voxel_size_mm");
    intArray(json, placement.voxelSize.data(), 3);
    const std::array<std::int32_t, 12> m = placement.gridToWorld();
    const std::int32_t bottomRow[4] = {0, 0, 0, 1};
    json.key("grid_to_world").beginArray(true);
    for (std::size_t row = 0; row < 3; ++row) intArray(json, m.data() + 4 * row, 4);
    intArray(json, bottomRow, 4);
    json.endArray();
    json.key("xform_code").integer(niftiXformCode(placement.space));
    if (provenance != nullptr && provenance->files) {
        const FileSet& f = *provenance->files;
        const std::pair<const char*, const std::string*> paths[] = {
            {"roi", &f.roiPath},      {"fmr", &f.fmrPath},          {"ia_trf", &f.iaTrfPath},
            {"fa_trf", &f.faTrfPath}, {"acpc_trf", &f.acpcTrfPath}, {"tal", &f.talPath}};
        json.key("input_files").beginObject(true);
        for (const auto& [key, path] : paths) {
            if (!path->empty()) json.key(key).string(*path);
        }
        json.endObject();
    }
    if (provenance != nullptr && provenance->chainMatrix) {
        json.key("chain_matrix").beginObject(true);
        json.key("maps").string(provenance->chainDirection);
        json.key("row_major").beginArray(true);
        for (float value : *provenance->chainMatrix) json.number(value);
        json.endArray();
        json.endObject();
    }
    if (provenance != nullptr && provenance->landmarks) {
        static const char* const names[landmark::Count] = {"AC", "PC", "AP", "PP", "SP", "IP", "RP", "LP"};
        json.key("landmarks").beginObject(true);
        for (std::size_t n = 0; n < landmark::Count; ++n) {
            const Landmark& l = (*provenance->landmarks)[n];
            const std::int32_t xyz[3] = {l.x, l.y, l.z};
            json.key(names[n]);
            intArray(json, xyz, 3);
        }
        json.endObject();
    }
    json.key("program").beginObject(true);
    json.key("name").string("zandrel");
    json.key("version").string(kVersion);
    json.endObject();
    json.endObject();
    return out.str();
}

}  // namespace zandrel
