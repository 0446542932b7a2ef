// Fuzz target: the FMR header reader, header only (no time-course data).
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/fmr_header.h"
#include "fuzz_support.h"

using namespace zandrel;
using zandrel::fuzz::checkKeyed;

namespace {

void checkMainFields(const FmrHeader& h, const std::string& in) {
    checkKeyed(h.FileVersion, "FileVersion", in, -1);
    checkKeyed(h.NrOfVolumes, "NrOfVolumes", in);
    checkKeyed(h.NrOfSlices, "NrOfSlices", in);
    checkKeyed(h.NrOfSkippedVolumes, "NrOfSkippedVolumes", in);
    checkKeyed(h.Prefix, "Prefix", in);
    checkKeyed(h.DataStorageFormat, "DataStorageFormat", in);
    checkKeyed(h.DataType, "DataType", in);
    checkKeyed(h.TR, "TR", in);
    checkKeyed(h.InterSliceTime, "InterSliceTime", in);
    checkKeyed(h.TimeResolutionVerified, "TimeResolutionVerified", in);
    checkKeyed(h.TE, "TE", in);
    checkKeyed(h.SliceAcquisitionOrder, "SliceAcquisitionOrder", in);
    checkKeyed(h.SliceAcquisitionOrderVerified, "SliceAcquisitionOrderVerified", in);
    checkKeyed(h.ResolutionX, "ResolutionX", in);
    checkKeyed(h.ResolutionY, "ResolutionY", in);
    checkKeyed(h.LoadAMRFile, "LoadAMRFile", in);
    checkKeyed(h.ShowAMRFile, "ShowAMRFile", in);
    checkKeyed(h.ImageIndex, "ImageIndex", in);
    checkKeyed(h.LayoutNColumns, "LayoutNColumns", in);
    checkKeyed(h.LayoutNRows, "LayoutNRows", in);
    checkKeyed(h.LayoutZoomLevel, "LayoutZoomLevel", in);
    checkKeyed(h.SegmentSize, "SegmentSize", in);
    checkKeyed(h.SegmentOffset, "SegmentOffset", in);
    checkKeyed(h.NrOfLinkedProtocols, "NrOfLinkedProtocols", in);
    checkKeyed(h.ProtocolFile, "ProtocolFile", in);
    checkKeyed(h.InplaneResolutionX, "InplaneResolutionX", in);
    checkKeyed(h.InplaneResolutionY, "InplaneResolutionY", in);
    checkKeyed(h.SliceThickness, "SliceThickness", in);
    checkKeyed(h.SliceGap, "SliceGap", in);
    checkKeyed(h.VoxelResolutionVerified, "VoxelResolutionVerified", in);
    checkKeyed(h.NrOfPastSpatialTransformations, "NrOfPastSpatialTransformations", in);
    checkKeyed(h.LeftRightConvention, "LeftRightConvention", in);
    checkKeyed(h.FirstDataSourceFile, "FirstDataSourceFile", in);
    checkKeyed(h.MultibandSequence, "MultibandSequence", in);
    checkKeyed(h.SliceTimingTableSize, "SliceTimingTableSize", in);
}

void checkPositionBlock(const FmrHeader& h, const std::string& in) {
    const bool block = in.find("PositionInformationFromImageHeaders") != std::string::npos;
    const KeyedFloat* floats[] = {&h.Slice1CenterX, &h.Slice1CenterY, &h.Slice1CenterZ, &h.SliceNCenterX,
                                  &h.SliceNCenterY, &h.SliceNCenterZ, &h.RowDirX,       &h.RowDirY,
                                  &h.RowDirZ,       &h.ColDirX,       &h.ColDirY,       &h.ColDirZ,
                                  &h.FoVRows,       &h.FoVCols,       &h.GapThickness};
    const char* names[] = {"Slice1CenterX", "Slice1CenterY", "Slice1CenterZ", "SliceNCenterX", "SliceNCenterY",
                           "SliceNCenterZ", "RowDirX",       "RowDirY",       "RowDirZ",       "ColDirX",
                           "ColDirY",       "ColDirZ",       "FoVRows",       "FoVCols",       "GapThickness"};
    for (std::size_t i = 0; i < sizeof(names) / sizeof(names[0]); ++i) {
        checkKeyed(*floats[i], names[i], in);
        // Position keys are read only inside the block that its marker opens.
        if (!block) FUZZ_CHECK(!floats[i]->present);
    }
    checkKeyed(h.PosInfosVerified, "PosInfosVerified", in);
    checkKeyed(h.CoordinateSystem, "CoordinateSystem", in);
    checkKeyed(h.NRows, "NRows", in);
    checkKeyed(h.NCols, "NCols", in);
    // The block's own "SliceThickness:" keeps the file's key, apart from the main field.
    checkKeyed(h.PosInfoSliceThickness, "SliceThickness", in);
    if (!block) {
        FUZZ_CHECK(!h.PosInfosVerified.present && !h.CoordinateSystem.present);
        FUZZ_CHECK(!h.NRows.present && !h.NCols.present && !h.PosInfoSliceThickness.present);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string path = fuzz::writeScratchFile("project.fmr", input);

    const FmrHeader header = readFmrHeader(path, false);

    FUZZ_CHECK(header.path == path);
    FUZZ_CHECK(header.volumes.empty());
    checkMainFields(header, input);
    checkPositionBlock(header, input);

    // The slice timing table holds at most the announced number of entries (a repeated
    // key appends a second table), each of which needs a digit of its own in the file.
    const std::string key = "SliceTimingTableSize:";
    const std::size_t first = input.find(key);
    if (first == std::string::npos || input.find(key, first + 1) == std::string::npos) {
        const std::int32_t announced = header.SliceTimingTableSize.present ? header.SliceTimingTableSize.value : 0;
        FUZZ_CHECK(header.sliceTimingTable.size() <= static_cast<std::size_t>(announced > 0 ? announced : 0));
    }
    FUZZ_CHECK(header.sliceTimingTable.size() <= fuzz::countDigitRuns(input));
    return 0;
}
