#include "generator/subject_writers.h"
#include "generator/text_output.h"

namespace zandrel::studygen {

namespace {

constexpr int kKeyColumn = 20;
constexpr int kFileVersion = 5;

// The 16 values, row by row, four per line with 16 decimals. Three layouts occur in the
// host's files: tab separated, tab separated with a trailing tab, and right-aligned columns.
void appendMatrix(KeyedTextBuilder& text, const Affine& matrix, int style) {
    for (int r = 0; r < 4; ++r) {
        std::string row;
        for (int c = 0; c < 4; ++c) {
            const std::string value = fixedDecimals(matrix.at(r, c), 16);
            if (style == 2) {
                row += std::string(value.size() < 22 ? 22 - value.size() : 1, ' ') + value;
            } else {
                row += value;
                if (c < 3 || style == 1) row += '\t';
            }
        }
        text.line(row);
    }
}

// Each file of a subject gets its own layout, so one study shows all three.
int styleOf(const SubjectModel& model, int file) { return (model.matrixStyle + file) % 3; }

void matrixEntries(KeyedTextBuilder& text, const Affine& matrix, int style) {
    text.entry("FileVersion", kFileVersion);
    text.line();
    text.entry("DataFormat", "Matrix");
    text.line();
    appendMatrix(text, matrix, style);
    text.line();
}

}  // namespace

// IA: centred functional millimetres to centred anatomical millimetres.
void writeIaFile(const SubjectPlan& plan, const SubjectModel& model, const SubjectFileNames& names,
                 const std::string& path) {
    KeyedTextBuilder text(plan.crlf, kKeyColumn);
    text.line();
    matrixEntries(text, model.initialAlignment, styleOf(model, 0));
    text.entry("TransformationType", 1);
    text.entry("CoordinateSystem", 0);
    text.entry("NSlicesFMRVMR", plan.slices);
    text.entry("SlThickFMRVMR", compactDecimals(plan.sliceThickness, 4));
    text.entry("SlGapFMRVMR", compactDecimals(plan.sliceGap, 4));
    text.entry("CreateFMR3DMethod", 1);
    text.entry("AlignmentStep", 1);
    text.entry("ExtraVMRTransf", plan.extraTransform ? 1 : 0);
    if (plan.extraTransform) appendMatrix(text, model.extra, styleOf(model, 1));
    text.entry("ToVMRFramingCube", 256);
    text.entry("ToVMRVoxelRes", 1);
    text.entry("SourceFile", quoted(names.fmr));
    text.entry("TargetFile", quoted(names.anatomy + ".vmr"));
    writeBinaryFile(path, text.text());
}

void writeFaFile(const SubjectPlan& plan, const SubjectModel& model, const SubjectFileNames& names,
                 const std::string& path) {
    KeyedTextBuilder text(plan.crlf, kKeyColumn);
    text.line();
    matrixEntries(text, model.fineAlignment, styleOf(model, 1));
    text.entry("TransformationType", 2);
    text.entry("CoordinateSystem", 0);
    text.entry("NSlicesFMRVMR", plan.slices);
    text.entry("SlThickFMRVMR", compactDecimals(plan.sliceThickness, 4));
    text.entry("SlGapFMRVMR", compactDecimals(plan.sliceGap, 4));
    text.entry("CreateFMR3DMethod", 1);
    text.entry("AlignmentStep", 2);
    text.entry("ExtraVMRTransf", 0);
    text.entry("SourceFile", quoted(names.fmr));
    text.entry("TargetFile", quoted(names.anatomy + ".vmr"));
    writeBinaryFile(path, text.text());
}

// ACPC: centred ACPC grid positions to centred positions of the native anatomical grid.
void writeAcpcFile(const SubjectPlan& plan, const SubjectModel& model, const SubjectFileNames& names,
                   const std::string& path) {
    KeyedTextBuilder text(plan.crlf, kKeyColumn);
    text.line();
    matrixEntries(text, model.acpc, styleOf(model, 2));
    text.entry("TransformationType", 2);
    text.entry("CoordinateSystem", 0);
    text.entry("ACPCVMRFramingCube", 256);
    text.entry("ACPCVMRVoxelRes", 1);
    text.entry("SourceFile", quoted(names.anatomy + ".vmr"));
    text.entry("TargetFile", quoted(names.anatomy + "_ACPC.vmr"));
    writeBinaryFile(path, text.text());
}

}  // namespace zandrel::studygen
