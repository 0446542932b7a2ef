#pragma once
// numpy arrays over the library's own storage: a view keeps the Python object that owns
// the storage alive, so nothing is copied; views are read-only, so the record they show
// cannot change behind its owner's back.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "zandrel/records.h"

namespace zandrel::python {

namespace py = pybind11;

// A read-only view of `data`, owned by `owner`.
template <class T>
py::array readOnlyView(const T* data, std::vector<py::ssize_t> shape, std::vector<py::ssize_t> strides,
                       py::handle owner) {
    py::array view(py::dtype::of<T>(), std::move(shape), std::move(strides), data, owner);
    py::detail::array_proxy(view.ptr())->flags &= ~py::detail::npy_api::NPY_ARRAY_WRITEABLE_;
    return view;
}

// An (n, 3) int32 view of a voxel list (three packed int32 per triple).
inline py::array voxelView(const std::vector<VoxelTriple>& voxels, py::handle owner) {
    static_assert(sizeof(VoxelTriple) == 3 * sizeof(std::int32_t), "a triple is three packed int32");
    const auto n = static_cast<py::ssize_t>(voxels.size());
    const std::int32_t* data = voxels.empty() ? nullptr : &voxels.front().x;
    static const std::int32_t empty[3] = {0, 0, 0};
    return readOnlyView<std::int32_t>(data != nullptr ? data : empty, {n, 3}, {12, 4}, owner);
}

// A (4, 4) float32 view of a matrix (row-major floats).
inline py::array matrixView(const Matrix4& matrix, py::handle owner) {
    return readOnlyView<float>(matrix.m, {4, 4}, {16, 4}, owner);
}

// An array that owns `values`, moved into a capsule: no copy of the elements.
template <class T>
py::array ownedArray(std::vector<T>&& values, std::vector<py::ssize_t> shape, std::vector<py::ssize_t> strides) {
    auto* held = new std::vector<T>(std::move(values));
    py::capsule owner(held, [](void* p) { delete static_cast<std::vector<T>*>(p); });
    return py::array(py::dtype::of<T>(), std::move(shape), std::move(strides), held->data(), owner);
}

// A (4, 4) float32 copy of a matrix, for matrices that belong to no Python object.
inline py::array matrixCopy(const Matrix4& matrix) {
    std::vector<float> values(matrix.m, matrix.m + 16);
    return ownedArray(std::move(values), {4, 4}, {16, 4});
}

}  // namespace zandrel::python
