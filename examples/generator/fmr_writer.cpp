#include <fstream>
#include <stdexcept>
#include <string>
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

void positionBlock(KeyedTextBuilder& text, const SubjectPlan& plan, const SliceStack& stack) {
    const char* axis[3] = {"X", "Y", "Z"};
    text.line("PositionInformationFromImageHeaders");
    text.line();
    text.entry("PosInfosVerified", 1);
    text.entry("CoordinateSystem", 1);
    for (int i = 0; i < 3; ++i) text.entry(std::string("Slice1Center") + axis[i], fixedDecimals(stack.slice1Centre[i], 5));
    for (int i = 0; i < 3; ++i) text.entry(std::string("SliceNCenter") + axis[i], fixedDecimals(stack.sliceNCentre[i], 5));
    for (int i = 0; i < 3; ++i) text.entry(std::string("RowDir") + axis[i], fixedDecimals(stack.rowDir[i], 6));
    for (int i = 0; i < 3; ++i) text.entry(std::string("ColDir") + axis[i], fixedDecimals(stack.colDir[i], 6));
    text.entry("NRows", plan.resolutionY);
    text.entry("NCols", plan.resolutionX);
    text.entry("FoVRows", compactDecimals(plan.resolutionY * plan.inplaneResolution, 4));
    text.entry("FoVCols", compactDecimals(plan.resolutionX * plan.inplaneResolution, 4));
    text.entry("SliceThickness", compactDecimals(plan.sliceThickness, 4));
    text.entry("GapThickness", compactDecimals(plan.sliceGap, 4));
}

}  // namespace

void writeFmrHeader(const SubjectPlan& plan, const SubjectModel& model, const SubjectFileNames& names,
                    const std::string& path) {
    KeyedTextBuilder text(plan.crlf, kKeyColumn);
    text.line();
    text.entry("FileVersion", plan.fmrFileVersion);
    text.entry("NrOfVolumes", plan.volumes);
    text.entry("NrOfSlices", plan.slices);
    text.entry("NrOfSkippedVolumes", 0);
    text.entry("Prefix", quoted(names.prefix));
    text.entry("DataStorageFormat", 1);
    text.entry("DataType", plan.floatData ? 2 : 1);
    text.entry("TR", kTr);
    text.entry("InterSliceTime", kTr / plan.slices);
    text.entry("TimeResolutionVerified", 1);
    text.entry("TE", 30);
    text.entry("SliceAcquisitionOrder", 1);
    text.entry("SliceAcquisitionOrderVerified", 1);
    text.entry("ResolutionX", plan.resolutionX);
    text.entry("ResolutionY", plan.resolutionY);
    text.entry("LoadAMRFile", quoted(names.prefix + "_firstvol.amr"));
    text.entry("ShowAMRFile", 1);
    text.entry("ImageIndex", 0);
    text.entry("LayoutNColumns", 6);
    text.entry("LayoutNRows", (plan.slices + 5) / 6);
    text.entry("LayoutZoomLevel", 1);
    text.entry("SegmentSize", 10);
    text.entry("SegmentOffset", 0);
    text.entry("NrOfLinkedProtocols", 1);
    text.entry("ProtocolFile", quoted(names.prefix + ".prt"));
    text.entry("InplaneResolutionX", compactDecimals(plan.inplaneResolution, 4));
    text.entry("InplaneResolutionY", compactDecimals(plan.inplaneResolution, 4));
    text.entry("SliceThickness", compactDecimals(plan.sliceThickness, 4));
    text.entry("SliceGap", compactDecimals(plan.sliceGap, 4));
    text.entry("VoxelResolutionVerified", 1);
    text.line();
    text.line();
    positionBlock(text, plan, model.stack);
    text.line();
    text.line();
    text.entry("NrOfPastSpatialTransformations", 0);
    text.entry("LeftRightConvention", 1);
    text.entry("FirstDataSourceFile", quoted("raw/" + names.prefix + "_vol0001.dat"));
    text.entry("MultibandSequence", 0);
    text.entry("SliceTimingTableSize", plan.slices);
    for (double time : sliceTimes(plan.slices)) text.line(compactDecimals(time, 2));
    writeBinaryFile(path, text.text());
}

// Samples in file order: slice, volume, row, column. An ellipsoid "brain" of about 600 with
// a darker core, about 20 outside, and the ROI voxels 3% brighter in every second volume.
void writeTimeCourseData(const SubjectPlan& plan, const SubjectModel& model, const std::string& path) {
    const std::size_t sliceSize = static_cast<std::size_t>(plan.resolutionX) * static_cast<std::size_t>(plan.resolutionY);
    std::vector<unsigned char> active(sliceSize * static_cast<std::size_t>(plan.slices), 0);
    for (const Plot& plot : model.plots)
        for (const Voxel& v : plot.voxels)
            active[(static_cast<std::size_t>(v[2]) * plan.resolutionY + v[1]) * plan.resolutionX + v[0]] = 1;

    Ellipsoid core = model.brain;
    for (double& r : core.radius) r *= 0.25;
    Random noise(streamSeed(plan.seed, 5));
    // Written one slice (all its volumes) at a time: a long time course never stands in
    // memory as a whole.
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string samples;
    samples.reserve(sliceSize * plan.volumes * (plan.floatData ? 4u : 2u));
    for (int s = 0; s < plan.slices; ++s) {
        samples.clear();
        for (int v = 0; v < plan.volumes; ++v)
            for (int y = 0; y < plan.resolutionY; ++y)
                for (int x = 0; x < plan.resolutionX; ++x) {
                    int value;
                    if (model.brain.normalisedDistance2(x, y, s) <= 1.0) {
                        value = (core.normalisedDistance2(x, y, s) <= 1.0 ? 480 : 600) + noise.integer(-40, 40);
                        if (v % 2 == 1 && active[(static_cast<std::size_t>(s) * plan.resolutionY + y) * plan.resolutionX + x])
                            value += 18;
                    } else {
                        value = 20 + noise.integer(-6, 6);
                    }
                    if (plan.floatData) {
                        const float fraction = static_cast<float>(noise.integer(0, 255)) / 256.0f;
                        appendLittleEndianFloat(samples, static_cast<float>(value) + fraction);
                    } else {
                        appendLittleEndian16(samples, static_cast<std::int16_t>(value));
                    }
                }
        if (out) out.write(samples.data(), static_cast<std::streamsize>(samples.size()));
    }
    if (out) out.close();
    if (!out) throw std::runtime_error("Cannot write file: " + path);
}

}  // namespace zandrel::studygen
