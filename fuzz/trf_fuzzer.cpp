// Fuzz target: the TRF file reader.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/trf_record.h"
#include "fuzz_support.h"

using namespace zandrel;
using zandrel::fuzz::checkKeyed;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string path = fuzz::writeScratchFile("alignment.trf", input);

    const TrfRecord trf = readTrfFile(path);

    FUZZ_CHECK(trf.path == path);
    checkKeyed(trf.FileVersion, "FileVersion", input, -1);
    checkKeyed(trf.DataFormat, "DataFormat", input);
    checkKeyed(trf.TransformationType, "TransformationType", input);
    checkKeyed(trf.CoordinateSystem, "CoordinateSystem", input);
    checkKeyed(trf.NSlicesFMRVMR, "NSlicesFMRVMR", input);
    checkKeyed(trf.SlThickFMRVMR, "SlThickFMRVMR", input);
    checkKeyed(trf.SlGapFMRVMR, "SlGapFMRVMR", input);
    checkKeyed(trf.CreateFMR3DMethod, "CreateFMR3DMethod", input);
    checkKeyed(trf.AlignmentStep, "AlignmentStep", input);
    checkKeyed(trf.ExtraVMRTransf, "ExtraVMRTransf", input);
    checkKeyed(trf.ToVMRFramingCube, "ToVMRFramingCube", input);
    checkKeyed(trf.ToVMRVoxelRes, "ToVMRVoxelRes", input);
    checkKeyed(trf.SourceFile, "SourceFile", input);
    checkKeyed(trf.TargetFile, "TargetFile", input);
    checkKeyed(trf.ACPCVMRFramingCube, "ACPCVMRFramingCube", input);
    checkKeyed(trf.ACPCVMRVoxelRes, "ACPCVMRVoxelRes", input);

    // Matrices are read only after their announcing entries; otherwise they stay the identity.
    const Matrix4 identity;
    if (input.find("Matrix") == std::string::npos || !trf.DataFormat.present) FUZZ_CHECK(trf.matrix == identity);
    if (!trf.ExtraVMRTransf.present) FUZZ_CHECK(trf.extraMatrix == identity);
    return 0;
}
