#include "voi/voi_file.h"

namespace zandrel {

namespace {

// The fixed header fields of a new record, each present, in the writer's 28-character key
// column.
void assign(KeyedInt& field, const char* key, std::int32_t value) {
    field.key = key;
    field.value = value;
    field.width = 28;
    field.present = true;
}

void assign(KeyedText& field, const char* key, const char* value) {
    field.key = key;
    field.value = value;
    field.width = 28;
    field.quoted = false;
    field.present = true;
}

}  // namespace

VoiFile::VoiFile() {
    assign(FileVersion, "FileVersion", 4);
    assign(ReferenceSpace, "ReferenceSpace", "ACPC");
    assign(OriginalVMRResolutionX, "OriginalVMRResolutionX", 1);
    assign(OriginalVMRResolutionY, "OriginalVMRResolutionY", 1);
    assign(OriginalVMRResolutionZ, "OriginalVMRResolutionZ", 1);
    assign(OriginalVMROffsetX, "OriginalVMROffsetX", 0);
    assign(OriginalVMROffsetY, "OriginalVMROffsetY", 0);
    assign(OriginalVMROffsetZ, "OriginalVMROffsetZ", 0);
    assign(OriginalVMRFramingCubeDim, "OriginalVMRFramingCubeDim", 256);
    assign(LeftRightConvention, "LeftRightConvention", 1);
    assign(SubjectVOINamingConvention, "SubjectVOINamingConvention", "<VOI>_<SUBJ>");
    assign(NrOfVOIs, "NrOfVOIs", 0);
    assign(NrOfVOIVTCs, "NrOfVOIVTCs", 0);
}

}  // namespace zandrel
