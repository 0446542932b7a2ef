// The TRF file reader: keyed fields and the matrices that follow two of them.
#include <cstdint>
#include <string>

#include "formats/key_table.h"
#include "formats/keyed_reader.h"
#include "formats/trf_record.h"

namespace zandrel {

namespace {

const KeyEntry<TrfRecord> kKeys[] = {
    {"FileVersion:", "FileVersion", &TrfRecord::FileVersion},
    {"DataFormat:", "DataFormat", &TrfRecord::DataFormat},
    {"TransformationType:", "TransformationType", &TrfRecord::TransformationType},
    {"CoordinateSystem:", "CoordinateSystem", &TrfRecord::CoordinateSystem},
    {"NSlicesFMRVMR:", "NSlicesFMRVMR", &TrfRecord::NSlicesFMRVMR},
    {"SlThickFMRVMR:", "SlThickFMRVMR", &TrfRecord::SlThickFMRVMR},
    {"SlGapFMRVMR:", "SlGapFMRVMR", &TrfRecord::SlGapFMRVMR},
    {"CreateFMR3DMethod:", "CreateFMR3DMethod", &TrfRecord::CreateFMR3DMethod},
    {"AlignmentStep:", "AlignmentStep", &TrfRecord::AlignmentStep},
    {"ExtraVMRTransf:", "ExtraVMRTransf", &TrfRecord::ExtraVMRTransf},
    {"ToVMRFramingCube:", "ToVMRFramingCube", &TrfRecord::ToVMRFramingCube},
    {"ToVMRVoxelRes:", "ToVMRVoxelRes", &TrfRecord::ToVMRVoxelRes},
    {"SourceFile:", "SourceFile", &TrfRecord::SourceFile},
    {"TargetFile:", "TargetFile", &TrfRecord::TargetFile},
    {"ACPCVMRFramingCube:", "ACPCVMRFramingCube", &TrfRecord::ACPCVMRFramingCube},
    {"ACPCVMRVoxelRes:", "ACPCVMRVoxelRes", &TrfRecord::ACPCVMRVoxelRes},
};

// 16 numbers, row 0 first, over any number of lines; returns how many were read. A number
// that fails to parse keeps the elements before it and leaves the stream failed, which
// ends the scan.
std::int32_t readMatrix(std::istream& in, Matrix4& matrix) {
    std::int32_t read = 0;
    for (float& element : matrix.m) {
        if (!readNumber(in, element)) break;
        ++read;
    }
    return read;
}

}  // namespace

KeyTable<TrfRecord> trfKeys() { return makeKeyTable(kKeys); }

TrfRecord readTrfFile(const std::string& path) {
    TrfRecord trf;
    trf.path = path;
    trf.FileVersion.value = -1;
    std::ifstream in = openForReading(path);

    scanKeys(in, trfKeys(), trf, [&](const std::string&, const KeyEntry<TrfRecord>* entry) {
        if (entry == nullptr) return;
        // Exact text after quote removal: "matrix" or "Matrix 4x4" read no matrix.
        if (entry->fills(&TrfRecord::DataFormat) && trf.DataFormat.value == "Matrix") {
            trf.matrixNumbersRead = readMatrix(in, trf.matrix);
        } else if (entry->fills(&TrfRecord::ExtraVMRTransf) && trf.ExtraVMRTransf.value == 1) {
            trf.extraMatrixNumbersRead = readMatrix(in, trf.extraMatrix);
        }
    });
    return trf;
}

}  // namespace zandrel
