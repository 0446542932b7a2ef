#pragma once

namespace zandrel::studygen {

// A 4 x 4 double matrix, row-major, points as column vectors (A * B: B acts first).
// Only basic IEEE operations are used, in a fixed order, so results are the same everywhere.
struct Affine {
    double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    double& at(int row, int column) { return m[4 * row + column]; }
    double at(int row, int column) const { return m[4 * row + column]; }
};

Affine operator*(const Affine& left, const Affine& right);
// Applies the matrix to the position (x, y, z, 1); out receives x, y, z.
void applyTo(const Affine& matrix, const double in[3], double out[3]);

Affine translation(double x, double y, double z);
// Rotation by the given angles in degrees about x, then y, then z: Rz * Ry * Rx.
Affine rotationDegrees(double aboutX, double aboutY, double aboutZ);

// Sine and cosine of small angles (|degrees| <= 45) by their series: the platform's
// libm may differ in the last bit, and the generator must not.
double sineDegrees(double degrees);
double cosineDegrees(double degrees);

}  // namespace zandrel::studygen
