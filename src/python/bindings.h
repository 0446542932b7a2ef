#pragma once
// The parts of the extension module `zandrel._zandrel`, each binding one part of the public
// API; module.cpp puts them together. Every call into the library releases the global
// interpreter lock while it works.

#include <pybind11/pybind11.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "zandrel/records.h"

namespace zandrel::python {

namespace py = pybind11;

// A .voi file in memory: as read (with the reader's warnings) or as a conversion made it
// (with the triples' form, which the file's ReferenceSpace text alone does not tell, and
// the ROI voxels skipped per VOI).
struct VoiFileObject {
    VoiFile file;
    std::vector<std::string> warnings;
    std::optional<bool> millimetreTriples;
    std::vector<std::int64_t> skippedVoxels;
};

void bindRecords(py::module_& m);
void bindVoiFile(py::module_& m);
void bindConversion(py::module_& m);
void bindBatch(py::module_& m);
void bindRuns(py::module_& m);

}  // namespace zandrel::python
