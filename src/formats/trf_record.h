#pragma once

#include <cstdint>
#include <string>

#include "formats/key_table.h"
#include "formats/keyed_field.h"
#include "geometry/matrix4.h"

namespace zandrel {

// One transformation file. Matrices that were not read are the identity.
struct TrfRecord {
    std::string path;
    KeyedInt FileVersion;  // -1 when the file has no "FileVersion:" entry
    KeyedText DataFormat;
    Matrix4 matrix;
    KeyedInt TransformationType;
    KeyedInt CoordinateSystem;
    KeyedInt NSlicesFMRVMR;
    KeyedFloat SlThickFMRVMR;
    KeyedFloat SlGapFMRVMR;
    KeyedInt CreateFMR3DMethod;
    KeyedInt AlignmentStep;
    KeyedInt ExtraVMRTransf;
    Matrix4 extraMatrix;
    KeyedInt ToVMRFramingCube;
    KeyedFloat ToVMRVoxelRes;
    KeyedText SourceFile;
    KeyedText TargetFile;
    KeyedInt ACPCVMRFramingCube;
    KeyedFloat ACPCVMRVoxelRes;

    // How many of the 16 numbers of `matrix` and of `extraMatrix` the file held after the
    // entry that announces each (a DataFormat of "Matrix", an ExtraVMRTransf of 1): fewer
    // when a number failed to parse ("nan", a word) or the file ended. -1 when the file
    // announces no such matrix.
    std::int32_t matrixNumbersRead = -1;
    std::int32_t extraMatrixNumbersRead = -1;

    TrfRecord() { FileVersion.value = -1; }
};

// Keys in comparison order, "FileVersion:" to "ACPCVMRVoxelRes:".
KeyTable<TrfRecord> trfKeys();

// Reads the keyed fields; 16 numbers into `matrix` after a DataFormat of "Matrix" and into
// `extraMatrix` after an ExtraVMRTransf of 1, row by row, counting the numbers read.
TrfRecord readTrfFile(const std::string& path);

}  // namespace zandrel
