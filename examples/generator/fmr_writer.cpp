#include <vector>

#include "generator/random.h"
#include "generator/subject_writers.h"
#include "generator/text_output.h"

namespace zandrel::studygen {

namespace {

constexpr int kKeyColumn = 28;
constexpr int kTr = 2000;

// Interleaved acquisition: even slices first, then odd ones, evenly spread over one TR.
std::vector<double> sliceTimes(int slices) {
    std::vector<double> times(static_cast<std::size_t>(slices));
    const double step = static_cast<double>(kTr) / slices;
    int position = 0;
    for (int start = 0; start < 2; ++start)
        for (int s = start; s < slices; s += 2) times[static_cast<std::size_t>(s)] = step * position++;
    return times;
}

void positionBlock(KeyedTextBuilder& text, const SubjectSpec& spec, const SliceStack& stack) {
    const char* axis[3] = {"X", "Y", "Z"};
    text.line("PositionInformationFromImageHeaders");
    text.line();
    text.entry("PosInfosVerified", 1);
    text.entry("CoordinateSystem", 1);
    for (int i = 0; i < 3; ++i) text.entry(std::string("Slice1Center") + axis[i], fixedDecimals(stack.slice1Centre[i], 5));
    for (int i = 0; i < 3; ++i) text.entry(std::string("SliceNCenter") + axis[i], fixedDecimals(stack.sliceNCentre[i], 5));
    for (int i = 0; i < 3; ++i) text.entry(std::string("RowDir") + axis[i], fixedDecimals(stack.rowDir[i], 6));
    for (int i = 0; i < 3; ++i) text.entry(std::string("ColDir") + axis[i], fixedDecimals(stack.colDir[i], 6));
    text.entry("NRows", spec.resolutionY);
    text.entry("NCols", spec.resolutionX);
    text.entry("FoVRows", compactDecimals(spec.resolutionY * spec.inplaneResolution, 4));
    text.entry("FoVCols", compactDecimals(spec.resolutionX * spec.inplaneResolution, 4));
    text.entry("SliceThickness", compactDecimals(spec.sliceThickness, 4));
    text.entry("GapThickness", compactDecimals(spec.sliceGap, 4));
}

}  // namespace

void writeFmrHeader(const SubjectSpec& spec, const SubjectModel& model, const SubjectFileNames& names,
                    const std::string& path) {
    KeyedTextBuilder text(spec.crlf, kKeyColumn);
    text.line();
    text.entry("FileVersion", spec.fmrFileVersion);
    text.entry("NrOfVolumes", spec.volumes);
    text.entry("NrOfSlices", spec.slices);
    text.entry("NrOfSkippedVolumes", 0);
    text.entry("Prefix", quoted(names.prefix));
    text.entry("DataStorageFormat", 1);
    text.entry("DataType", spec.floatData ? 2 : 1);
    text.entry("TR", kTr);
    text.entry("InterSliceTime", kTr / spec.slices);
    text.entry("TimeResolutionVerified", 1);
    text.entry("TE", 30);
    text.entry("SliceAcquisitionOrder", 1);
    text.entry("SliceAcquisitionOrderVerified", 1);
    text.entry("ResolutionX", spec.resolutionX);
    text.entry("ResolutionY", spec.resolutionY);
    text.entry("LoadAMRFile", quoted(names.prefix + "_firstvol.amr"));
    text.entry("ShowAMRFile", 1);
    text.entry("ImageIndex", 0);
    text.entry("LayoutNColumns", 6);
    text.entry("LayoutNRows", (spec.slices + 5) / 6);
    text.entry("LayoutZoomLevel", 1);
    text.entry("SegmentSize", 10);
    text.entry("SegmentOffset", 0);
    text.entry("NrOfLinkedProtocols", 1);
    text.entry("ProtocolFile", quoted(names.prefix + ".prt"));
    text.entry("InplaneResolutionX", compactDecimals(spec.inplaneResolution, 4));
    text.entry("InplaneResolutionY", compactDecimals(spec.inplaneResolution, 4));
    text.entry("SliceThickness", compactDecimals(spec.sliceThickness, 4));
    text.entry("SliceGap", compactDecimals(spec.sliceGap, 4));
    text.entry("VoxelResolutionVerified", 1);
    text.line();
    text.line();
    positionBlock(text, spec, model.stack);
    text.line();
    text.line();
    text.entry("NrOfPastSpatialTransformations", 0);
    text.entry("LeftRightConvention", 1);
    text.entry("FirstDataSourceFile", quoted("raw/" + names.prefix + "_vol0001.dat"));
    text.entry("MultibandSequence", 0);
    text.entry("SliceTimingTableSize", spec.slices);
    for (double time : sliceTimes(spec.slices)) text.line(compactDecimals(time, 2));
    writeBinaryFile(path, text.text());
}

// Samples in file order: slice, volume, row, column. An ellipsoid "brain" of about 600 with
// a darker core, about 20 outside, and the ROI voxels 3% brighter in every second volume.
void writeTimeCourseData(const SubjectSpec& spec, const SubjectModel& model, const std::string& path) {
    const std::size_t sliceSize = static_cast<std::size_t>(spec.resolutionX) * static_cast<std::size_t>(spec.resolutionY);
    std::vector<unsigned char> active(sliceSize * static_cast<std::size_t>(spec.slices), 0);
    for (const Plot& plot : model.plots)
        for (const Voxel& v : plot.voxels)
            active[(static_cast<std::size_t>(v[2]) * spec.resolutionY + v[1]) * spec.resolutionX + v[0]] = 1;

    Ellipsoid core = model.brain;
    for (double& r : core.radius) r *= 0.25;
    Random noise(streamSeed(spec.seed, 5));
    std::string samples;
    samples.reserve(sliceSize * spec.slices * spec.volumes * (spec.floatData ? 4u : 2u));
    for (int s = 0; s < spec.slices; ++s)
        for (int v = 0; v < spec.volumes; ++v)
            for (int y = 0; y < spec.resolutionY; ++y)
                for (int x = 0; x < spec.resolutionX; ++x) {
                    int value;
                    if (model.brain.normalisedDistance2(x, y, s) <= 1.0) {
                        value = (core.normalisedDistance2(x, y, s) <= 1.0 ? 480 : 600) + noise.integer(-40, 40);
                        if (v % 2 == 1 && active[(static_cast<std::size_t>(s) * spec.resolutionY + y) * spec.resolutionX + x])
                            value += 18;
                    } else {
                        value = 20 + noise.integer(-6, 6);
                    }
                    if (spec.floatData) {
                        const float fraction = static_cast<float>(noise.integer(0, 255)) / 256.0f;
                        appendLittleEndianFloat(samples, static_cast<float>(value) + fraction);
                    } else {
                        appendLittleEndian16(samples, static_cast<std::int16_t>(value));
                    }
                }
    writeBinaryFile(path, samples);
}

}  // namespace zandrel::studygen
