// TRF files: keyed fields and the matrices after DataFormat and ExtraVMRTransf.
#include <gtest/gtest.h>

#include <string>

#include "formats/trf_record.h"
#include "temp_dir.h"

namespace zandrel {
namespace {

using test::TempDir;

Matrix4 sequence(float first) {
    Matrix4 m;
    for (int i = 0; i < 16; ++i) m.m[i] = first + static_cast<float>(i);
    return m;
}

bool same(const Matrix4& a, const Matrix4& b) {
    for (int i = 0; i < 16; ++i) {
        if (a.m[i] != b.m[i]) return false;
    }
    return true;
}

TEST(TrfReader, MatrixLayouts) {
    TempDir dir;
    struct Case { const char* label; std::string text; };
    const Case cases[] = {
        {"four rows", "DataFormat:   Matrix\n1 2 3 4\n5 6 7 8\n9 10 11 12\n13 14 15 16\n\nTransformationType: 2\n"},
        {"one line", "DataFormat: Matrix\n1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\nTransformationType: 2\n"},
        {"tabs, decimals, CR LF", "DataFormat:\t\"Matrix\"\r\n1.0000000000000000\t2\t3\t4\r\n"
                                  "5\t6\t7.0000000000000000\t8\r\n9 10 11 12\r\n13\r\n14\r\n15 16\r\nTransformationType: 2\r\n"},
    };
    for (const Case& c : cases) {
        const TrfRecord trf = readTrfFile(dir.write("m.trf", c.text));
        EXPECT_TRUE(same(trf.matrix, sequence(1.0f))) << c.label;
        EXPECT_EQ(trf.TransformationType.value, 2) << c.label;
        EXPECT_TRUE(same(trf.extraMatrix, Matrix4())) << c.label;
        EXPECT_EQ(trf.FileVersion.value, -1) << c.label;
    }
}

TEST(TrfReader, OtherFormatsReadNoMatrix) {
    TempDir dir;
    for (const char* format : {"matrix", "Matrix 4x4", "Parameters"}) {
        const TrfRecord trf = readTrfFile(dir.write("o.trf",
            std::string("DataFormat: ") + format + "\n1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\nAlignmentStep: 3\n"));
        EXPECT_TRUE(same(trf.matrix, Matrix4())) << format;
        EXPECT_EQ(trf.AlignmentStep.value, 3) << format;
    }
}

TEST(TrfReader, ExtraMatrixOnlyAfterOne) {
    TempDir dir;
    const std::string numbers = "\n101 102 103 104 105 106 107 108 109 110 111 112 113 114 115 116\n";
    const TrfRecord one = readTrfFile(dir.write("x.trf", "ExtraVMRTransf: 1" + numbers + "ToVMRVoxelRes: 1.5\n"));
    EXPECT_TRUE(same(one.extraMatrix, sequence(101.0f)));
    EXPECT_EQ(one.ToVMRVoxelRes.value, 1.5f);
    const TrfRecord zero = readTrfFile(dir.write("x.trf", "ExtraVMRTransf: 0" + numbers + "ToVMRVoxelRes: 1.5\n"));
    EXPECT_TRUE(same(zero.extraMatrix, Matrix4()));
    EXPECT_EQ(zero.ToVMRVoxelRes.value, 1.5f);
}

TEST(TrfReader, BadMatrixNumberKeepsEarlierElementsAndEndsTheScan) {
    TempDir dir;
    const TrfRecord trf = readTrfFile(dir.write("b.trf",
        "FileVersion: 8\nDataFormat: Matrix\n1 2 3 4 5 6 7 x 9 10 11 12 13 14 15 16\nAlignmentStep: 3\n"));
    EXPECT_EQ(trf.FileVersion.value, 8);
    Matrix4 expected;
    for (int i = 0; i < 7; ++i) expected.m[i] = static_cast<float>(i + 1);
    EXPECT_TRUE(same(trf.matrix, expected));
    EXPECT_FALSE(trf.AlignmentStep.present);
}

TEST(TrfReader, TextFieldsAndFileVersion) {
    TempDir dir;
    const TrfRecord trf = readTrfFile(dir.write("t.trf",
        "SourceFile: \"C:\\study\\run 1.fmr\"\r\nTargetFile: anat.vmr\r\nFileVersion: 6\r\nSlThickFMRVMR: 3.5\r\n"));
    EXPECT_EQ(trf.SourceFile.value, "C:\\study\\run 1.fmr");
    EXPECT_TRUE(trf.SourceFile.quoted);
    EXPECT_EQ(trf.TargetFile.value, "anat.vmr");
    EXPECT_EQ(trf.FileVersion.value, 6);
    EXPECT_EQ(trf.SlThickFMRVMR.value, 3.5f);
}

}  // namespace
}  // namespace zandrel
