#pragma once
// A batch's typed events as (kind, fields) for Python: the event's name and its values
// under snake_case names.

#include <pybind11/pybind11.h>

#include <string>
#include <utility>

#include "zandrel/batch.h"

namespace zandrel::python {

namespace py = pybind11;

// The event's type name ("SetConverted", ...) and a dict of its values.
std::pair<std::string, py::dict> eventFields(const BatchEvent& event);

// The paths of a set as a dict: roi, fmr, ia, fa, acpc, tal.
py::dict setPaths(const FileSet& set);

// "converted", "reported" or "failed".
const char* outcomeName(SetOutcome outcome);

}  // namespace zandrel::python
