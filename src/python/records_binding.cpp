// The input records as Python objects: keyed fields as attributes, voxel lists and matrices
// as read-only numpy views of the record's own storage.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <memory>
#include <string>

#include "arrays.h"
#include "bindings.h"
#include "keyed_fields.h"
#include "zandrel/batch.h"
#include "zandrel/records.h"

namespace zandrel::python {

namespace {

template <class Record, class Read>
std::shared_ptr<Record> readReleased(const std::string& path, Read read) {
    py::gil_scoped_release released;
    return std::make_shared<Record>(read(path));
}

void bindFmr(py::module_& m) {
    py::class_<FmrHeader, std::shared_ptr<FmrHeader>> fmr(m, "FmrHeader",
                                                          "A functional project header (.fmr) as read.");
    fmr.def_readonly("path", &FmrHeader::path, "The file the header was read from.");
    fmr.def_property_readonly(
        "time_course_file", [](const FmrHeader& h) { return timeCourseFileName(h); },
        "The time-course data file the header names: its folder, Prefix and \".stc\".");
    fmr.def_property_readonly(
        "slice_timing_table",
        [](py::object self) {
            const auto& table = self.cast<const FmrHeader&>().sliceTimingTable;
            static const float none = 0.0f;
            return readOnlyView<float>(table.empty() ? &none : table.data(),
                                       {static_cast<py::ssize_t>(table.size())}, {4}, self);
        },
        "The slice timing table as float32, empty when the header has none.");
    addKeyedAttributes<FmrHeader>(fmr, {fmrMainKeys(), fmrPositionKeys()});
    m.def("_read_fmr", [](const std::string& path) { return readReleased<FmrHeader>(path, [](const std::string& p) {
              return readFmrHeader(p, false);
          }); });
}

void bindRoi(py::module_& m) {
    py::class_<RoiPlot, std::shared_ptr<RoiPlot>> plot(m, "RoiPlot", "One plot of a ROI file.");
    plot.def_property_readonly(
        "voxels", [](py::object self) { return voxelView(self.cast<const RoiPlot&>().voxels, self); },
        "The triples read completely, int32 (n, 3): column, row, slice.");
    addKeyedAttributes<RoiPlot>(plot, {roiPlotKeys()});

    py::class_<RoiFile, std::shared_ptr<RoiFile>> roi(m, "RoiFile", "A ROI file (.roi) as read.");
    roi.def_readonly("path", &RoiFile::path, "The file the ROI plots were read from.");
    roi.def_property_readonly(
        "plots",
        [](py::object self) {
            py::list plots;
            for (const RoiPlot& plot : self.cast<const RoiFile&>().plots)
                plots.append(py::cast(&plot, py::return_value_policy::reference_internal, self));
            return plots;
        },
        "The plots read, in file order.");
    roi.def_property_readonly(
        "shortfall",
        [](const RoiFile& r) {
            const std::vector<std::string> entries = wordEvent(RoiIncomplete{r.path, roiShortfall(r)});
            return entries.empty() ? std::string() : entries.front();
        },
        "What the file announces but does not hold, as the log words it; empty when complete.");
    addKeyedAttributes<RoiFile>(roi, {roiHeaderKeys()});
    m.def("_read_roi", [](const std::string& path) { return readReleased<RoiFile>(path, readRoiFile); });
}

void bindTrf(py::module_& m) {
    py::class_<TrfRecord, std::shared_ptr<TrfRecord>> trf(m, "TrfRecord", "A transformation file (.trf) as read.");
    trf.def_readonly("path", &TrfRecord::path, "The file the transformation was read from.");
    trf.def_property_readonly(
        "matrix", [](py::object self) { return matrixView(self.cast<const TrfRecord&>().matrix, self); },
        "The transformation matrix, float32 (4, 4); the identity when the file has none.");
    trf.def_property_readonly(
        "extra_matrix", [](py::object self) { return matrixView(self.cast<const TrfRecord&>().extraMatrix, self); },
        "The extra VMR matrix, float32 (4, 4); the identity when the file has none.");
    trf.def_property_readonly(
        "refusal", [](const TrfRecord& t) { return trfMatrixRefusal(t); },
        "Why a conversion refuses the file (a matrix that lacks numbers); empty when it does not.");
    addKeyedAttributes<TrfRecord>(trf, {trfKeys()});
    m.def("_read_trf", [](const std::string& path) { return readReleased<TrfRecord>(path, readTrfFile); });
}

void bindTal(py::module_& m) {
    py::class_<TalRecord, std::shared_ptr<TalRecord>> tal(m, "TalRecord", "A landmark file (.tal) as read.");
    tal.def_readonly("path", &TalRecord::path, "The file the landmarks were read from.");
    tal.def_property_readonly(
        "landmarks",
        [](py::object self) {
            const TalRecord& record = self.cast<const TalRecord&>();
            py::dict landmarks;
            for (int i = 0; i < landmark::Count; ++i) {
                std::string key = landmarkKeys[i];
                key.pop_back();  // the colon
                const auto index = static_cast<std::size_t>(i);
                landmarks[py::str(key)] =
                    record.landmarkRead[index]
                        ? readOnlyView<std::int32_t>(&record.landmarks[index].x, {3}, {4}, self)
                        : py::object(py::none());
            }
            return landmarks;
        },
        "The landmarks AC, PC, AP, PP, SP, IP, RP, LP: int32 (3,) each, None when the file lacks it.");
    tal.def_property_readonly(
        "refusal", [](const TalRecord& t) { return talLandmarkRefusal(t); },
        "Why a conversion refuses the file (missing landmarks); empty when it does not.");
    addKeyedAttributes<TalRecord>(tal, {talKeys()});
    m.def("_read_tal", [](const std::string& path) { return readReleased<TalRecord>(path, readTalFile); });
}

}  // namespace

void bindRecords(py::module_& m) {
    bindFmr(m);
    bindRoi(m);
    bindTrf(m);
    bindTal(m);
}

}  // namespace zandrel::python
