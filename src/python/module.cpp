// The extension module behind the `zandrel` Python package: records, chain, conversion,
// batches and runs of the public API. The package's Python files add the documentation,
// the argument checks and the nibabel and pandas glue.
#include <pybind11/pybind11.h>

#include <stdexcept>

#include "bindings.h"
#include "zandrel/version.h"

namespace py = pybind11;

PYBIND11_MODULE(_zandrel, m) {
    m.doc() = "The compiled part of the zandrel package; use the package, not this module.";
    // Every error the library reports with the system's text becomes ZandrelError, a
    // RuntimeError; std::bad_alloc stays MemoryError.
    static py::exception<std::runtime_error> zandrelError(m, "ZandrelError", PyExc_RuntimeError);
    py::register_exception_translator([](std::exception_ptr error) {
        try {
            if (error) std::rethrow_exception(error);
        } catch (const py::builtin_exception& e) {
            e.set_error();  // pybind11's own TypeError, ValueError, ... stay what they are
        } catch (const std::runtime_error& e) {
            zandrelError(e.what());
        } catch (const std::invalid_argument& e) {
            zandrelError(e.what());
        } catch (const std::length_error& e) {
            zandrelError(e.what());
        }
    });
    m.attr("version") = zandrel::kVersion;
    m.attr("features") = zandrel::featureList();
    m.attr("with_nifti") = static_cast<bool>(ZANDREL_WITH_NIFTI);
    m.attr("with_report") = static_cast<bool>(ZANDREL_WITH_REPORT);
    zandrel::python::bindRecords(m);
    zandrel::python::bindVoiFile(m);
    zandrel::python::bindConversion(m);
    zandrel::python::bindBatch(m);
    zandrel::python::bindRuns(m);
}
