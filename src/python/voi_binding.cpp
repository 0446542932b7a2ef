// .voi files in memory: read, converted or saved; their VOIs' voxels as read-only views and
// their label image and masks as arrays of the grid, with the grid's NIfTI geometry.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <array>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "arrays.h"
#include "bindings.h"
#include "keyed_fields.h"
#include "zandrel/images.h"
#include "zandrel/outputs.h"
#include "zandrel/records.h"

namespace zandrel::python {

namespace {

// Most masks one call makes: each costs a whole grid (16 MB on the 256-point grid), and
// the command line writes no more either.
constexpr std::size_t kMaxMasks = 1024;

std::vector<KeyTable<VoiFile>> voiTables() { return {voiHeaderKeys()}; }

// A label image, mask or any other grid of the placement, i fastest, as an array of shape
// (dim, dim, dim) in Fortran order that owns the values.
template <class T>
py::array gridArray(std::vector<T>&& cells, const VoiPlacement& placement) {
    const py::ssize_t dim = placement.dim;
    const auto size = static_cast<py::ssize_t>(sizeof(T));
    return ownedArray(std::move(cells), {dim, dim, dim}, {size, size * dim, size * dim * dim});
}

VoiPlacement placementOf(const VoiFileObject& voi) { return placeVoiFile(voi.file, voi.millimetreTriples); }

py::dict geometryOf(const VoiFileObject& voi) {
    const VoiPlacement placement = placementOf(voi);
    const NiftiQuaternion q = niftiQuaternion(placement);
    const std::array<std::int32_t, 12> m = placement.gridToWorld();
    std::vector<double> affine(16, 0.0);
    for (std::size_t n = 0; n < 12; ++n) affine[n] = static_cast<double>(m[n]);
    affine[15] = 1.0;
    py::dict geometry;
    geometry["dim"] = placement.dim;
    geometry["voxel_size"] = py::make_tuple(placement.voxelSize[0], placement.voxelSize[1], placement.voxelSize[2]);
    geometry["xform_code"] = niftiXformCode(placement.space);
    geometry["space"] = spaceName(placement.space);
    geometry["quaternion"] = py::make_tuple(q.b, q.c, q.d);
    geometry["qfac"] = q.qfac;
    geometry["qoffset"] = py::make_tuple(q.offsetX, q.offsetY, q.offsetZ);
    geometry["affine"] = ownedArray(std::move(affine), {4, 4}, {32, 8});
    return geometry;
}

py::tuple labelArray(const VoiFileObject& voi) {
    py::array labels;
    {
        VoiPlacement placement;
        std::vector<std::uint8_t> narrow;
        std::vector<std::uint16_t> wide;
        {
            py::gil_scoped_release released;
            placement = placementOf(voi);
            const VoiCells cells = collectVoiCells(voi.file, placement);
            if (voi.file.vois.size() <= 255)
                narrow = narrowLabelImage(cells, placement);
            else
                wide = labelImage(cells, placement);
        }
        labels = voi.file.vois.size() <= 255 ? gridArray(std::move(narrow), placement)
                                             : gridArray(std::move(wide), placement);
    }
    return py::make_tuple(labels, geometryOf(voi)["affine"]);
}

py::list maskArrays(const VoiFileObject& voi) {
    if (voi.file.vois.size() > kMaxMasks) {
        throw std::runtime_error("Masks are made for at most " + std::to_string(kMaxMasks) + " VOIs, the file has " +
                                 std::to_string(voi.file.vois.size()));
    }
    VoiPlacement placement;
    VoiCells cells;
    {
        py::gil_scoped_release released;
        placement = placementOf(voi);
        cells = collectVoiCells(voi.file, placement);
    }
    py::list masks;
    for (const std::vector<std::uint32_t>& voiCells : cells.cells) {
        std::vector<std::uint8_t> mask;
        {
            py::gil_scoped_release released;
            mask.assign(static_cast<std::size_t>(placement.cellCount()), 0);
            for (const std::uint32_t cell : voiCells) mask[cell] = 1;
        }
        masks.append(gridArray(std::move(mask), placement));
    }
    return masks;
}

void save(const VoiFileObject& voi, const std::string& path, bool crlf) {
    py::gil_scoped_release released;
    VoiFile file = voi.file;
    file.fileName = path;
    file.crlf = crlf;
    file.save();
}

void bindVoi(py::module_& m) {
    py::class_<Voi> voi(m, "Voi", "One volume of interest of a .voi file.");
    voi.def_property_readonly(
        "name", [](const Voi& v) { return v.NameOfVOI.value; }, "The VOI's name (NameOfVOI).");
    voi.def_property_readonly(
        "colour", [](const Voi& v) { return py::make_tuple(v.red, v.green, v.blue); },
        "The VOI's colour as (red, green, blue).");
    voi.def_property_readonly(
        "voxels", [](py::object self) { return voxelView(self.cast<const Voi&>().voxels, self); },
        "The VOI's voxels, int32 (n, 3), in file order: grid indices, or millimetres (x, y, z) in "
        "Talairach form.");
    voi.def("__len__", [](const Voi& v) { return v.voxels.size(); });
    voi.def("__repr__", [](const Voi& v) {
        return "<Voi '" + v.NameOfVOI.value + "' with " + std::to_string(v.voxels.size()) + " voxels>";
    });
}

}  // namespace

void bindVoiFile(py::module_& m) {
    bindVoi(m);
    py::class_<VoiFileObject, std::shared_ptr<VoiFileObject>> cls(m, "VoiFile",
                                                                   "A .voi file in memory: read, or converted.");
    cls.def_property_readonly(
        "path", [](const VoiFileObject& v) { return v.file.fileName; },
        "Where the file was read from, or where `zandrel convert` writes a converted set's file.");
    cls.def_property_readonly(
        "crlf", [](const VoiFileObject& v) { return v.file.crlf; }, "Whether the file's lines end in CR LF.");
    cls.def_readonly("warnings", &VoiFileObject::warnings, "What the reader found wrong with the file, one text each.");
    cls.def_readonly("skipped_voxels", &VoiFileObject::skippedVoxels,
                     "Per VOI of a converted set, the ROI voxels outside the functional grid that were skipped.");
    cls.def_property_readonly(
        "NrOfVOIVTCs", [](const VoiFileObject& v) { return keyedValue(v.file.NrOfVOIVTCs); },
        "The count of VTC names after the VOIs.");
    cls.def_property_readonly(
        "vois",
        [](py::object self) {
            py::list vois;
            for (const Voi& voi : self.cast<const VoiFileObject&>().file.vois)
                vois.append(py::cast(&voi, py::return_value_policy::reference_internal, self));
            return vois;
        },
        "The VOIs, in file order.");
    cls.def("__len__", [](const VoiFileObject& v) { return v.file.vois.size(); });
    cls.def("__getattr__", [](const VoiFileObject& v, const std::string& name) {
        bool found = false;
        py::object value = lookupKeyed(v.file, voiTables(), name, found);
        if (!found) throw py::attribute_error("no field or attribute '" + name + "'");
        return value;
    });
    cls.def("keys", [](const VoiFileObject&) { return keyedNames(voiTables()); },
            "The names of the header's keyed fields, in file order.");
    cls.def(
        "fields",
        [](const VoiFileObject& v) {
            py::dict fields;
            for (const std::string& name : keyedNames(voiTables())) {
                bool found = false;
                fields[py::str(name)] = lookupKeyed(v.file, voiTables(), name, found);
            }
            return fields;
        },
        "Every keyed header field as a dict: name -> value, None when the file lacks the key.");
    cls.def("text", [](const VoiFileObject& v) {
        std::ostringstream out;
        v.file.write(out, true);
        return py::bytes(out.str());
    }, "The bytes save() writes.");
    cls.def("_save", &save);
    cls.def("_label_array", &labelArray);
    cls.def("_mask_arrays", &maskArrays);
    cls.def("_geometry", &geometryOf);
    m.def("_read_voi", [](const std::string& path) {
        auto voi = std::make_shared<VoiFileObject>();
        py::gil_scoped_release released;
        VoiFileReading reading = readVoiFile(path);
        voi->file = std::move(reading.file);
        voi->file.fileName = path;
        voi->warnings = std::move(reading.warnings);
        return voi;
    });
}

}  // namespace zandrel::python
