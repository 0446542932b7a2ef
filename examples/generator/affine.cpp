#include "generator/affine.h"

#include <stdexcept>

namespace zandrel::studygen {

namespace {

constexpr double kPi = 3.141592653589793;

double radians(double degrees) {
    if (!(degrees >= -45.0 && degrees <= 45.0)) throw std::logic_error("angle out of range");
    return degrees * (kPi / 180.0);
}

}  // namespace

Affine operator*(const Affine& left, const Affine& right) {
    Affine result;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) sum += left.at(r, k) * right.at(k, c);
            result.at(r, c) = sum;
        }
    }
    return result;
}

void applyTo(const Affine& matrix, const double in[3], double out[3]) {
    for (int r = 0; r < 3; ++r) {
        out[r] = matrix.at(r, 0) * in[0] + matrix.at(r, 1) * in[1] + matrix.at(r, 2) * in[2] +
                 matrix.at(r, 3);
    }
}

Affine translation(double x, double y, double z) {
    Affine result;
    result.at(0, 3) = x;
    result.at(1, 3) = y;
    result.at(2, 3) = z;
    return result;
}

// Taylor series up to the 17th power: below 1e-19 relative error for |x| <= pi / 4.
double sineDegrees(double degrees) {
    const double x = radians(degrees);
    const double x2 = x * x;
    double term = x;
    double sum = x;
    for (int n = 1; n <= 8; ++n) {
        term = -term * x2 / static_cast<double>((2 * n) * (2 * n + 1));
        sum += term;
    }
    return sum;
}

double cosineDegrees(double degrees) {
    const double x = radians(degrees);
    const double x2 = x * x;
    double term = 1.0;
    double sum = 1.0;
    for (int n = 1; n <= 8; ++n) {
        term = -term * x2 / static_cast<double>((2 * n - 1) * (2 * n));
        sum += term;
    }
    return sum;
}

Affine rotationDegrees(double aboutX, double aboutY, double aboutZ) {
    const double cx = cosineDegrees(aboutX), sx = sineDegrees(aboutX);
    const double cy = cosineDegrees(aboutY), sy = sineDegrees(aboutY);
    const double cz = cosineDegrees(aboutZ), sz = sineDegrees(aboutZ);
    Affine rx, ry, rz;
    rx.at(1, 1) = cx; rx.at(1, 2) = -sx; rx.at(2, 1) = sx; rx.at(2, 2) = cx;
    ry.at(0, 0) = cy; ry.at(0, 2) = sy; ry.at(2, 0) = -sy; ry.at(2, 2) = cy;
    rz.at(0, 0) = cz; rz.at(0, 1) = -sz; rz.at(1, 0) = sz; rz.at(1, 1) = cz;
    return rz * (ry * rx);
}

}  // namespace zandrel::studygen
