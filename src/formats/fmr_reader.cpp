// The FMR header reader: the main scan, the position block and the slice timing table.
#include <string>

#include "formats/fmr_header.h"
#include "formats/key_table.h"
#include "formats/keyed_reader.h"

namespace zandrel {

namespace {

using Entry = KeyEntry<FmrHeader>;

const char* const kPositionMarker = "PositionInformationFromImageHeaders";
const char* const kPositionEnd = "GapThickness:";

const Entry kMainKeys[] = {
    {"FileVersion:", "FileVersion", &FmrHeader::FileVersion},
    {"NrOfVolumes:", "NrOfVolumes", &FmrHeader::NrOfVolumes},
    {"NrOfSlices:", "NrOfSlices", &FmrHeader::NrOfSlices},
    {"NrOfSkippedVolumes:", "NrOfSkippedVolumes", &FmrHeader::NrOfSkippedVolumes},
    {"Prefix:", "Prefix", &FmrHeader::Prefix},
    {"DataStorageFormat:", "DataStorageFormat", &FmrHeader::DataStorageFormat},
    {"DataType:", "DataType", &FmrHeader::DataType},
    {"TR:", "TR", &FmrHeader::TR},
    {"InterSliceTime:", "InterSliceTime", &FmrHeader::InterSliceTime},
    {"TimeResolutionVerified:", "TimeResolutionVerified", &FmrHeader::TimeResolutionVerified},
    {"TE:", "TE", &FmrHeader::TE},
    {"SliceAcquisitionOrder:", "SliceAcquisitionOrder", &FmrHeader::SliceAcquisitionOrder},
    {"SliceAcquisitionOrderVerified:", "SliceAcquisitionOrderVerified", &FmrHeader::SliceAcquisitionOrderVerified},
    {"ResolutionX:", "ResolutionX", &FmrHeader::ResolutionX},
    {"ResolutionY:", "ResolutionY", &FmrHeader::ResolutionY},
    {"LoadAMRFile:", "LoadAMRFile", &FmrHeader::LoadAMRFile},
    {"ShowAMRFile:", "ShowAMRFile", &FmrHeader::ShowAMRFile},
    {"ImageIndex:", "ImageIndex", &FmrHeader::ImageIndex},
    {"LayoutNColumns:", "LayoutNColumns", &FmrHeader::LayoutNColumns},
    {"LayoutNRows:", "LayoutNRows", &FmrHeader::LayoutNRows},
    {"LayoutZoomLevel:", "LayoutZoomLevel", &FmrHeader::LayoutZoomLevel},
    {"SegmentSize:", "SegmentSize", &FmrHeader::SegmentSize},
    {"SegmentOffset:", "SegmentOffset", &FmrHeader::SegmentOffset},
    {"NrOfLinkedProtocols:", "NrOfLinkedProtocols", &FmrHeader::NrOfLinkedProtocols},
    {"ProtocolFile:", "ProtocolFile", &FmrHeader::ProtocolFile},
    {"InplaneResolutionX:", "InplaneResolutionX", &FmrHeader::InplaneResolutionX},
    {"InplaneResolutionY:", "InplaneResolutionY", &FmrHeader::InplaneResolutionY},
    {"SliceThickness:", "SliceThickness", &FmrHeader::SliceThickness},
    {"SliceGap:", "SliceGap", &FmrHeader::SliceGap},
    {"VoxelResolutionVerified:", "VoxelResolutionVerified", &FmrHeader::VoxelResolutionVerified},
    {kPositionMarker, kPositionMarker, {}},
    {"NrOfPastSpatialTransformations:", "NrOfPastSpatialTransformations", &FmrHeader::NrOfPastSpatialTransformations},
    {"LeftRightConvention:", "LeftRightConvention", &FmrHeader::LeftRightConvention},
    {"FirstDataSourceFile:", "FirstDataSourceFile", &FmrHeader::FirstDataSourceFile},
    {"MultibandSequence:", "MultibandSequence", &FmrHeader::MultibandSequence},
    {"SliceTimingTableSize:", "SliceTimingTableSize", &FmrHeader::SliceTimingTableSize},
};

const Entry kPositionKeys[] = {
    {"PosInfosVerified:", "PosInfosVerified", &FmrHeader::PosInfosVerified},
    {"CoordinateSystem:", "CoordinateSystem", &FmrHeader::CoordinateSystem},
    {"Slice1CenterX:", "Slice1CenterX", &FmrHeader::Slice1CenterX},
    {"Slice1CenterY:", "Slice1CenterY", &FmrHeader::Slice1CenterY},
    {"Slice1CenterZ:", "Slice1CenterZ", &FmrHeader::Slice1CenterZ},
    {"SliceNCenterX:", "SliceNCenterX", &FmrHeader::SliceNCenterX},
    {"SliceNCenterY:", "SliceNCenterY", &FmrHeader::SliceNCenterY},
    {"SliceNCenterZ:", "SliceNCenterZ", &FmrHeader::SliceNCenterZ},
    {"RowDirX:", "RowDirX", &FmrHeader::RowDirX},
    {"RowDirY:", "RowDirY", &FmrHeader::RowDirY},
    {"RowDirZ:", "RowDirZ", &FmrHeader::RowDirZ},
    {"ColDirX:", "ColDirX", &FmrHeader::ColDirX},
    {"ColDirY:", "ColDirY", &FmrHeader::ColDirY},
    {"ColDirZ:", "ColDirZ", &FmrHeader::ColDirZ},
    {"NRows:", "NRows", &FmrHeader::NRows},
    {"NCols:", "NCols", &FmrHeader::NCols},
    {"FoVRows:", "FoVRows", &FmrHeader::FoVRows},
    {"FoVCols:", "FoVCols", &FmrHeader::FoVCols},
    // The block's own slice thickness, kept apart from the main "SliceThickness:".
    {"SliceThickness:", "PosInfoSliceThickness", &FmrHeader::PosInfoSliceThickness},
    {kPositionEnd, "GapThickness", &FmrHeader::GapThickness},
};

// The table follows its size directly. Entries are read one by one and only those read
// completely are kept, so a hostile size costs nothing beyond what the file holds. The
// word after the table is dropped unseen, whatever the size was.
void readSliceTimingTable(std::istream& in, FmrHeader& header) {
    if (header.SliceTimingTableSize.present) {
        for (std::int32_t i = 0; i < header.SliceTimingTableSize.value; ++i) {
            float entry = 0.0f;
            if (!readNumber(in, entry)) break;
            header.sliceTimingTable.push_back(entry);
        }
    }
    std::string dropped;
    readWord(in, dropped);
}

}  // namespace

KeyTable<FmrHeader> fmrMainKeys() { return makeKeyTable(kMainKeys); }

// Inside the block only its own keys count; it ends right after the value of
// "GapThickness:" or when the file does.
KeyTable<FmrHeader> fmrPositionKeys() { return makeKeyTable(kPositionKeys, kPositionEnd); }

FmrHeader readFmrHeader(const std::string& path, bool readData) {
    FmrHeader header;
    header.path = path;
    header.FileVersion.value = -1;
    {
        std::ifstream in = openForReading(path);
        scanKeys(in, fmrMainKeys(), header, [&](const std::string&, const KeyEntry<FmrHeader>* entry) {
            if (entry == nullptr) return;
            if (entry->isSectionMarker()) {
                scanKeys(in, fmrPositionKeys(), header);
            } else if (entry->fills(&FmrHeader::SliceTimingTableSize)) {
                readSliceTimingTable(in, header);
            }
        });
    }
    if (readData) readTimeCourseData(header);
    return header;
}

}  // namespace zandrel
