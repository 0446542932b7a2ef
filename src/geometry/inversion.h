#pragma once

#include "geometry/matrix4.h"

namespace zandrel {

// Rigid-body inverse: transposed 3 x 3 block, negated translation taken through it.
// Exact only for a rotation block with bottom row (0, 0, 0, 1); never fails.
void invertRigid(const Matrix4& matrix, Matrix4& result);

// Moore-Penrose pseudo-inverse through the singular value decomposition, skipping
// singular values that are exactly 0. Returns false when the decomposition does not
// converge; `result` is then left untouched.
bool invertGeneral(const Matrix4& matrix, Matrix4& result);

// Golub-Reinsch decomposition in single precision of the m x n matrix `a`
// (m rows of n floats), replaced by U; w receives the n singular values (non-negative,
// unsorted), v (n rows of n floats) receives V itself, so that a = U diag(w) V^T.
// Returns false when a singular value does not split off within 30 tests.
bool decomposeSvd(int m, int n, float** a, float* w, float** v);

}  // namespace zandrel
