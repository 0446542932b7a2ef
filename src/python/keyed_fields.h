#pragma once
// Keyed fields of a record as Python attributes, named by the record's field names
// (`fmr.NrOfSlices`): the value, or None when the file did not have the key.

#include <pybind11/pybind11.h>

#include <string>
#include <vector>

#include "zandrel/records.h"

namespace zandrel::python {

namespace py = pybind11;

template <class Value>
py::object keyedValue(const Keyed<Value>& field) {
    return field.present ? py::cast(field.value) : py::none();
}

// The value of the field named `name` in `record`, looked up in `tables`; `found` tells
// whether any table has it.
template <class Record>
py::object lookupKeyed(const Record& record, const std::vector<KeyTable<Record>>& tables, const std::string& name,
                       bool& found) {
    py::object value = py::none();
    found = false;
    for (const KeyTable<Record>& table : tables) {
        forEachKeyedField(record, table, [&](const KeyEntry<Record>& entry, const auto& field) {
            if (!found && name == entry.fieldName) {
                found = true;
                value = keyedValue(field);
            }
        });
    }
    return value;
}

// The field names of `tables`, in table order, each once.
template <class Record>
std::vector<std::string> keyedNames(const std::vector<KeyTable<Record>>& tables) {
    std::vector<std::string> names;
    for (const KeyTable<Record>& table : tables) {
        for (const KeyEntry<Record>& entry : table) {
            if (entry.isSectionMarker()) continue;
            bool seen = false;
            for (const std::string& name : names) seen = seen || name == entry.fieldName;
            if (!seen) names.emplace_back(entry.fieldName);
        }
    }
    return names;
}

// Adds __getattr__ (the keyed fields), keys() (their names) and fields() (a dict of every
// field's value) to a bound record class.
template <class Record, class Class>
void addKeyedAttributes(Class& cls, std::vector<KeyTable<Record>> tables) {
    const std::vector<std::string> names = keyedNames(tables);
    cls.def("__getattr__", [tables](const Record& record, const std::string& name) {
        bool found = false;
        py::object value = lookupKeyed(record, tables, name, found);
        if (!found) throw py::attribute_error("no field or attribute '" + name + "'");
        return value;
    });
    cls.def("keys", [names](const Record&) { return names; }, "The names of the record's keyed fields, in file order.");
    cls.def(
        "fields",
        [tables, names](const Record& record) {
            py::dict fields;
            for (const std::string& name : names) {
                bool found = false;
                fields[py::str(name)] = lookupKeyed(record, tables, name, found);
            }
            return fields;
        },
        "Every keyed field as a dict: name -> value, None when the file lacks the key.");
}

}  // namespace zandrel::python
