#pragma once
// The first eigenvariate of a region's time courses, in double precision, without any
// linear-algebra library: the eigen-decomposition of the smaller Gram matrix, by
// Householder reduction to tridiagonal form and implicit QL iterations (O(m^3) once,
// where cyclic Jacobi rotations would cost that per sweep).

#include <cstddef>
#include <vector>

namespace zandrel {

// Eigenvector of the largest eigenvalue of the symmetric m x m matrix `a` (row-major, both
// triangles filled). `a` is overwritten. Fills `vector` (m values, unit length) and
// returns the eigenvalue. When eigenvalues tie for the largest, the vector is one of
// their eigenvectors. m = 0 returns 0 and an empty vector.
double largestEigenpair(std::vector<double>& a, std::size_t m, std::vector<double>& vector);

// The first eigenvariate of `cells` time courses of `volumes` samples each, stored cell
// after cell (sample t of cell c at c * volumes + t). With Y the volumes x cells matrix of
// samples, each column's mean removed, and Y = U S V^T: U[:,0] * s1 / sqrt(cells), signed so
// that the entries of V[:,0] sum to a positive number (a zero sum keeps the solver's sign).
// A constant region (s1 = 0) gives zeros; a sample that is not finite makes every value
// NaN. Returns `volumes` values (none when cells is 0).
std::vector<double> firstEigenvariate(const std::vector<float>& samples, std::size_t cells, std::size_t volumes);

}  // namespace zandrel
