#include <ostream>

#include "voi/voi_file.h"
#include "voi/voi_text.h"

namespace zandrel {

namespace {

class StreamSink final : public TextSink {
public:
    explicit StreamSink(std::ostream& out) : out_(out) {}
    void put(const char* data, std::size_t size) override {
        out_.write(data, static_cast<std::streamsize>(size));
    }

private:
    std::ostream& out_;
};

}  // namespace

void formatVoiText(const VoiFile& file, bool withCoordinates, TextSink& sink) {
    VoiTextWriter w(sink, file.crlf);
    w.lineEnds(1);
    w.field(file.FileVersion, 2);
    w.field(file.ReferenceSpace, 2);
    w.field(file.OriginalVMRResolutionX, 1);
    w.field(file.OriginalVMRResolutionY, 1);
    w.field(file.OriginalVMRResolutionZ, 1);
    w.field(file.OriginalVMROffsetX, 1);
    w.field(file.OriginalVMROffsetY, 1);
    w.field(file.OriginalVMROffsetZ, 1);
    w.field(file.OriginalVMRFramingCubeDim, 2);
    w.field(file.LeftRightConvention, 2);
    w.field(file.SubjectVOINamingConvention, 3);
    w.field(file.NrOfVOIs, 2);
    for (const Voi& voi : file.vois) {
        w.field(voi.NameOfVOI, 1);
        w.text("ColorOfVOI: ");
        w.number(voi.red);
        w.text(" ", 1);
        w.number(voi.green);
        w.text(" ", 1);
        w.number(voi.blue);
        w.lineEnds(2);
        w.field(voi.NrOfVoxels, 1);
        if (withCoordinates) {
            for (const VoxelTriple& v : voi.voxels) w.triple(v.x, v.y, v.z);
        } else {
            w.text("  Skipping coordinate list");
            w.lineEnds(1);
        }
        w.lineEnds(1);
    }
    w.lineEnds(1);
    w.field(file.NrOfVOIVTCs, 1);
    for (const std::string& name : file.vtcNames) w.text(name);
    w.flush();
}

void VoiFile::write(std::ostream& out, bool withCoordinates) const {
    StreamSink sink(out);
    formatVoiText(*this, withCoordinates, sink);
}

}  // namespace zandrel
