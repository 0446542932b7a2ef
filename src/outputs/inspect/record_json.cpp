// Records as JSON members, field by field in the order of the readers' key tables.
#include "outputs/inspect/record_json.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <type_traits>

namespace zandrel {

namespace {

void writeValue(JsonWriter& json, std::int32_t value) { json.integer(value); }
void writeValue(JsonWriter& json, float value) { json.number(value); }
void writeValue(JsonWriter& json, bool value) { json.boolean(value); }
void writeValue(JsonWriter& json, const std::string& value) { json.string(value); }

template <class Value>
void writeField(JsonWriter& json, const Keyed<Value>& field) {
    json.beginObject(true);
    json.key("key").string(field.key);
    json.key("value");
    writeValue(json, field.value);
    json.key("width").integer(field.width);
    if constexpr (std::is_same_v<Value, std::string>) json.key("quoted").boolean(field.quoted);
    json.key("present").boolean(field.present);
    json.endObject();
}

// Every field of the table under its record field name; section markers have none.
template <class Record>
void writeTable(JsonWriter& json, const Record& record, const KeyTable<Record>& table) {
    forEachKeyedField(record, table, [&](const KeyEntry<Record>& entry, const auto& field) {
        json.key(entry.fieldName);
        writeField(json, field);
    });
}

void writeMatrix(JsonWriter& json, const Matrix4& matrix) {
    json.beginArray(true);
    for (float element : matrix.m) json.number(element);
    json.endArray();
}

void writeTriple(JsonWriter& json, std::int32_t x, std::int32_t y, std::int32_t z) {
    json.beginArray(true);
    json.integer(x);
    json.integer(y);
    json.integer(z);
    json.endArray();
}

// Min, max and mean over the finite samples (the mean summed in double, volume by volume
// in grid order); samples that are NaN or infinite are counted apart so that one of them
// cannot hide the range of the others.
void writeDataSummary(JsonWriter& json, const FmrHeader& header) {
    float low = std::numeric_limits<float>::infinity();
    float high = -std::numeric_limits<float>::infinity();
    double sum = 0.0;
    std::uint64_t finite = 0;
    std::uint64_t total = 0;
    for (const VolumeGrid& grid : header.volumes) {
        const float* cells = grid.data();
        for (std::size_t i = 0; i < grid.cellCount(); ++i) {
            const float sample = cells[i];
            ++total;
            if (!std::isfinite(sample)) continue;
            ++finite;
            if (sample < low) low = sample;
            if (sample > high) high = sample;
            sum += static_cast<double>(sample);
        }
    }
    json.key("data").beginObject();
    json.key("file").string(timeCourseFileName(header));
    json.key("sampleType").string(header.DataType.present && header.DataType.value == 2 ? "float32" : "int16");
    const VolumeGrid empty;
    const VolumeGrid& first = header.volumes.empty() ? empty : header.volumes.front();
    json.key("dimX").integer(first.dimX());
    json.key("dimY").integer(first.dimY());
    json.key("dimZ").integer(first.dimZ());
    json.key("volumes").integer(static_cast<std::int64_t>(header.volumes.size()));
    json.key("samples").integer(static_cast<std::int64_t>(total));
    json.key("nonFiniteSamples").integer(static_cast<std::int64_t>(total - finite));
    if (finite > 0) {
        json.key("min").number(low);
        json.key("max").number(high);
        json.key("mean").number(sum / static_cast<double>(finite));
    } else {
        json.key("min").null();
        json.key("max").null();
        json.key("mean").null();
    }
    json.endObject();
}

}  // namespace

void writeKeyedField(JsonWriter& json, const KeyedInt& field) { writeField(json, field); }
void writeKeyedField(JsonWriter& json, const KeyedFloat& field) { writeField(json, field); }
void writeKeyedField(JsonWriter& json, const KeyedBool& field) { writeField(json, field); }
void writeKeyedField(JsonWriter& json, const KeyedText& field) { writeField(json, field); }

void writeFmrMembers(JsonWriter& json, const FmrHeader& header, bool withData) {
    for (const KeyEntry<FmrHeader>& entry : fmrMainKeys()) {
        // The position block's fields stand where its marker stands in the file.
        const KeyTable<FmrHeader> fields =
            entry.isSectionMarker() ? fmrPositionKeys() : KeyTable<FmrHeader>{&entry, 1, nullptr};
        writeTable(json, header, fields);
    }
    json.key("sliceTimingTable").beginArray(true);
    for (float entry : header.sliceTimingTable) json.number(entry);
    json.endArray();
    if (withData) writeDataSummary(json, header);
}

void writeRoiMembers(JsonWriter& json, const RoiFile& roi) {
    writeTable(json, roi, roiHeaderKeys());
    json.key("plots").beginArray();
    for (const RoiPlot& plot : roi.plots) {
        json.beginObject();
        writeTable(json, plot, roiPlotKeys());
        json.key("voxels").beginArray();
        for (const VoxelTriple& voxel : plot.voxels) writeTriple(json, voxel.x, voxel.y, voxel.z);
        json.endArray();
        json.endObject();
    }
    json.endArray();
}

void writeTrfMembers(JsonWriter& json, const TrfRecord& trf) {
    writeTable(json, trf, trfKeys());
    json.key("matrix");
    writeMatrix(json, trf.matrix);
    json.key("extraMatrix");
    writeMatrix(json, trf.extraMatrix);
}

void writeTalMembers(JsonWriter& json, const TalRecord& tal) {
    writeTable(json, tal, talKeys());
    json.key("landmarks").beginObject();
    for (int i = 0; i < landmark::Count; ++i) {
        const std::string keyWord = landmarkKeys[i];
        const Landmark& point = tal.landmarks[static_cast<std::size_t>(i)];
        json.key(keyWord.substr(0, keyWord.size() - 1));
        writeTriple(json, point.x, point.y, point.z);
    }
    json.endObject();
}

std::string recordJson(const std::string& type, const std::string& path, bool withData, bool withVoxels) {
    std::ostringstream out;
    JsonWriter json(out);
    const auto begin = [&json, &type, &path] {
        json.beginObject();
        json.key("type").string(type);
        json.key("path").string(path);
    };
    if (type == "fmr") {
        const FmrHeader header = readFmrHeader(path, withData);
        begin();
        writeFmrMembers(json, header, withData);
    } else if (type == "roi") {
        const RoiFile roi = readRoiFile(path);
        begin();
        writeRoiMembers(json, roi);
    } else if (type == "trf") {
        const TrfRecord trf = readTrfFile(path);
        begin();
        writeTrfMembers(json, trf);
    } else if (type == "voi") {
        const VoiFileReading reading = readVoiFile(path);
        begin();
        writeVoiMembers(json, reading, withVoxels);
    } else {
        const TalRecord tal = readTalFile(path);
        begin();
        writeTalMembers(json, tal);
    }
    json.endObject();
    return out.str();
}

}  // namespace zandrel
