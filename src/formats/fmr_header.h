#pragma once

#include <string>
#include <vector>

#include "formats/file_probe.h"
#include "formats/key_table.h"
#include "formats/keyed_field.h"
#include "geometry/matrix4.h"
#include "geometry/volume_grid.h"

namespace zandrel {

struct TrfRecord;

// The keyed header of a functional project, with its time-course data on request.
struct FmrHeader {
    std::string path;

    KeyedInt FileVersion;  // preset to -1 by the reader
    KeyedInt NrOfVolumes;
    KeyedInt NrOfSlices;
    KeyedInt NrOfSkippedVolumes;
    KeyedText Prefix;
    KeyedInt DataStorageFormat;
    KeyedInt DataType;
    KeyedInt TR;
    KeyedInt InterSliceTime;
    KeyedBool TimeResolutionVerified;
    KeyedInt TE;
    KeyedInt SliceAcquisitionOrder;
    KeyedBool SliceAcquisitionOrderVerified;
    KeyedInt ResolutionX;
    KeyedInt ResolutionY;
    KeyedText LoadAMRFile;
    KeyedBool ShowAMRFile;
    KeyedInt ImageIndex;
    KeyedInt LayoutNColumns;
    KeyedInt LayoutNRows;
    KeyedInt LayoutZoomLevel;
    KeyedInt SegmentSize;
    KeyedInt SegmentOffset;
    KeyedInt NrOfLinkedProtocols;
    KeyedText ProtocolFile;
    KeyedFloat InplaneResolutionX;
    KeyedFloat InplaneResolutionY;
    KeyedFloat SliceThickness;
    KeyedFloat SliceGap;
    KeyedBool VoxelResolutionVerified;

    // Position block, between "PositionInformationFromImageHeaders" and "GapThickness:".
    KeyedBool PosInfosVerified;
    KeyedInt CoordinateSystem;
    KeyedFloat Slice1CenterX;
    KeyedFloat Slice1CenterY;
    KeyedFloat Slice1CenterZ;
    KeyedFloat SliceNCenterX;
    KeyedFloat SliceNCenterY;
    KeyedFloat SliceNCenterZ;
    KeyedFloat RowDirX;
    KeyedFloat RowDirY;
    KeyedFloat RowDirZ;
    KeyedFloat ColDirX;
    KeyedFloat ColDirY;
    KeyedFloat ColDirZ;
    KeyedInt NRows;
    KeyedInt NCols;
    KeyedFloat FoVRows;
    KeyedFloat FoVCols;
    KeyedFloat PosInfoSliceThickness;  // the block's own "SliceThickness:"
    KeyedFloat GapThickness;

    KeyedInt NrOfPastSpatialTransformations;
    KeyedText LeftRightConvention;
    KeyedText FirstDataSourceFile;
    KeyedInt MultibandSequence;
    KeyedInt SliceTimingTableSize;

    std::vector<float> sliceTimingTable;
    std::vector<VolumeGrid> volumes;  // one grid per volume: (ResolutionX, ResolutionY, NrOfSlices)

    FmrHeader() { FileVersion.value = -1; }

    // Chain matrix from the anatomical grid (centred) to the functional grid (centred):
    // M = F * S_fmr * IA^-1 * X * S_vmr * FA^-1 * A, products left to right.
    // Returns false when the general inverse of the FA matrix failed to converge
    // (FA^-1 is then the identity). Defined with the geometry code (chain_matrix.cpp).
    bool computeChainMatrix(const TrfRecord& ia, const TrfRecord& fa, const TrfRecord& acpc,
                            Matrix4& result) const;
};

// Keys of the main scan, in the order in which every word is compared with them; the
// word "PositionInformationFromImageHeaders" is a section marker that opens the position
// block. Then the keys of the position block, which ends after "GapThickness:".
KeyTable<FmrHeader> fmrMainKeys();
KeyTable<FmrHeader> fmrPositionKeys();

// Reads the header; with readData also the time-course data (".stc") into `volumes`.
// Throws std::runtime_error with "Failed opening for reading: " / "Failed opening STC for
// reading: " texts, and for time-course sizes that the data file cannot honour.
FmrHeader readFmrHeader(const std::string& path, bool readData);

// Loads `volumes` for a header that has been read: NrOfVolumes grids of
// (ResolutionX, ResolutionY, NrOfSlices), samples little-endian, 32-bit float when DataType
// is present and 2, signed 16-bit otherwise. Sizes are checked against the data file before
// anything is allocated; a file longer than promised is accepted and its tail ignored.
void readTimeCourseData(FmrHeader& header);

// Checks the time-course data file as far as loading it depends on it, without reading a
// sample: the name of timeCourseFileName, a regular file (a named pipe, device or folder
// is refused unopened), open for reading, sizes that can describe data, and at least the
// promised bytes. Throws exactly what readTimeCourseData throws for the same file:
// "Failed opening STC for reading: " + name (with " (a named pipe, not a regular file)"
// and the like for what is no regular file) and the size refusals.
void checkTimeCourseFile(const FmrHeader& header);

// Name of the time-course data file: directoryOf(path) + Prefix + ".stc".
std::string timeCourseFileName(const FmrHeader& header);

}  // namespace zandrel
