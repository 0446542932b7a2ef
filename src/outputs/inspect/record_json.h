#pragma once

#include <string>

#include "io/json_writer.h"
#include "formats/fmr_header.h"
#include "formats/roi_file.h"
#include "formats/tal_record.h"
#include "formats/trf_record.h"
#include "voi/voi_reader.h"

namespace zandrel {

// The members of one record's JSON object, after "type" and "path": every keyed field
// under its record field name as {"key", "value", "width", ("quoted",) "present"}, then
// the record's lists and matrices. With `withData`, the FMR object also gets "data": the
// grid sizes, the volume count and the min, max and mean sample of its time-course data.
void writeFmrMembers(JsonWriter& json, const FmrHeader& header, bool withData);
void writeRoiMembers(JsonWriter& json, const RoiFile& roi);
void writeTrfMembers(JsonWriter& json, const TrfRecord& trf);
void writeTalMembers(JsonWriter& json, const TalRecord& tal);

// One keyed field as {"key", "value", "width", ("quoted",) "present"}, on one line.
void writeKeyedField(JsonWriter& json, const KeyedInt& field);
void writeKeyedField(JsonWriter& json, const KeyedFloat& field);
void writeKeyedField(JsonWriter& json, const KeyedBool& field);
void writeKeyedField(JsonWriter& json, const KeyedText& field);

// The members of a .voi file's object: the header fields, "warnings" (the reader's, about
// a file cut short), per VOI its name, colour, count and either its voxels (`withVoxels`)
// or a summary (triple count, bounding box of the triples as written and, when the
// ReferenceSpace can be placed, the figures), then the VTC count and names.
void writeVoiMembers(JsonWriter& json, const VoiFileReading& reading, bool withVoxels);

// The whole JSON document of one file read as `type` ("fmr", "roi", "trf", "tal", "voi"):
// its type, its path and its record's members (with the time-course data's figures for an
// fmr file when `withData`, with the voxel lists of a voi file when `withVoxels`). The file
// is read completely before any text is formed; reader errors are thrown.
std::string recordJson(const std::string& type, const std::string& path, bool withData, bool withVoxels);

}  // namespace zandrel
