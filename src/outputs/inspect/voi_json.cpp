// A .voi file as JSON members: header, warnings, and per VOI its summary or voxels.
#include <algorithm>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "outputs/inspect/record_json.h"
#include "voi/voi_figures.h"
#include "voi/voi_space.h"

namespace zandrel {

namespace {

void writeTriple(JsonWriter& json, const std::int32_t (&xyz)[3]) {
    json.beginArray(true);
    for (std::int32_t value : xyz) json.integer(value);
    json.endArray();
}

// The smallest and largest value of each component over the triples as written; null for
// an empty VOI.
void writeBoundingBox(JsonWriter& json, const std::vector<VoxelTriple>& voxels) {
    json.key("boundingBox");
    if (voxels.empty()) {
        json.null();
        return;
    }
    std::int32_t low[3] = {voxels[0].x, voxels[0].y, voxels[0].z};
    std::int32_t high[3] = {voxels[0].x, voxels[0].y, voxels[0].z};
    for (const VoxelTriple& v : voxels) {
        const std::int32_t xyz[3] = {v.x, v.y, v.z};
        for (int axis = 0; axis < 3; ++axis) {
            low[axis] = std::min(low[axis], xyz[axis]);
            high[axis] = std::max(high[axis], xyz[axis]);
        }
    }
    json.beginObject(true);
    json.key("min");
    writeTriple(json, low);
    json.key("max");
    writeTriple(json, high);
    json.endObject();
}

void writeFigures(JsonWriter& json, const VoiFigures& figures) {
    json.key("figures").beginObject(true);
    json.key("distinctVoxels").integer(figures.voxels);
    json.key("volumeMm3").integer(figures.volumeMm3);
    json.key("centroidMm");
    if (figures.hasCentroid()) {
        json.beginArray(true);
        for (double c : figures.centroid) json.number(c);
        json.endArray();
    } else {
        json.null();
    }
    json.key("sharedVoxels").integer(figures.sharedVoxels);
    json.endObject();
}

// The figures of every VOI, or the reason there are none (a space or voxel that cannot be
// placed on a grid).
struct FiguresOrReason {
    std::vector<VoiFigures> figures;
    std::string space;
    std::string reason;
};

FiguresOrReason figuresOf(const VoiFile& file) {
    FiguresOrReason result;
    try {
        const VoiPlacement placement = placeVoiFile(file);
        result.space = spaceName(placement.space);
        result.figures = computeVoiFigures(collectVoiCells(file, placement), placement);
    } catch (const std::exception& error) {
        result.figures.clear();
        result.reason = error.what();
    }
    return result;
}

}  // namespace

void writeVoiMembers(JsonWriter& json, const VoiFileReading& reading, bool withVoxels) {
    const VoiFile& file = reading.file;
    forEachKeyedField(file, voiHeaderKeys(), [&](const KeyEntry<VoiFile>& entry, const auto& field) {
        json.key(entry.fieldName);
        writeKeyedField(json, field);
    });
    json.key("crlf").boolean(file.crlf);
    json.key("warnings").beginArray();
    for (const std::string& warning : reading.warnings) json.string(warning);
    json.endArray();

    const FiguresOrReason figures = figuresOf(file);
    if (figures.reason.empty()) {
        json.key("space").string(figures.space);
    } else {
        json.key("figuresUnavailable").string(figures.reason);
    }
    json.key("vois").beginArray();
    for (std::size_t n = 0; n < file.vois.size(); ++n) {
        const Voi& voi = file.vois[n];
        json.beginObject();
        json.key("NameOfVOI");
        writeKeyedField(json, voi.NameOfVOI);
        const std::int32_t colour[3] = {voi.red, voi.green, voi.blue};
        json.key("color");
        writeTriple(json, colour);
        json.key("NrOfVoxels");
        writeKeyedField(json, voi.NrOfVoxels);
        json.key("triples").integer(static_cast<std::int64_t>(voi.voxels.size()));
        writeBoundingBox(json, voi.voxels);
        if (n < figures.figures.size()) writeFigures(json, figures.figures[n]);
        if (withVoxels) {
            json.key("voxels").beginArray();
            for (const VoxelTriple& v : voi.voxels) {
                const std::int32_t xyz[3] = {v.x, v.y, v.z};
                writeTriple(json, xyz);
            }
            json.endArray();
        }
        json.endObject();
    }
    json.endArray();
    json.key("NrOfVOIVTCs");
    writeKeyedField(json, file.NrOfVOIVTCs);
    json.key("vtcNames").beginArray(true);
    for (const std::string& name : file.vtcNames) json.string(name);
    json.endArray();
}

}  // namespace zandrel
