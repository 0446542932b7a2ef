#pragma once

#include "cli/json/json_writer.h"
#include "formats/fmr_header.h"
#include "formats/roi_file.h"
#include "formats/tal_record.h"
#include "formats/trf_record.h"

namespace zandrel::cli {

// The members of one record's JSON object, after "type" and "path": every keyed field
// under its record field name as {"key", "value", "width", ("quoted",) "present"}, then
// the record's lists and matrices. With `withData`, the FMR object also gets "data": the
// grid sizes, the volume count and the min, max and mean sample of its time-course data.
void writeFmrMembers(JsonWriter& json, const FmrHeader& header, bool withData);
void writeRoiMembers(JsonWriter& json, const RoiFile& roi);
void writeTrfMembers(JsonWriter& json, const TrfRecord& trf);
void writeTalMembers(JsonWriter& json, const TalRecord& tal);

}  // namespace zandrel::cli
