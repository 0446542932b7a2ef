#pragma once

#include <cmath>
#include <initializer_list>
#include <utility>

#include "geometry/matrix4.h"

namespace zandrel::test {

// A 4 x 4 matrix in double, for reference computations independent of the float code.
struct Matrix4d {
    double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    double& at(int r, int c) { return m[4 * r + c]; }
    double at(int r, int c) const { return m[4 * r + c]; }
};

inline Matrix4d toDouble(const Matrix4& a) {
    Matrix4d d;
    for (int i = 0; i < 16; ++i) d.m[i] = a.m[i];
    return d;
}

inline Matrix4 toFloat(const Matrix4d& d) {
    Matrix4 a;
    for (int i = 0; i < 16; ++i) a.m[i] = static_cast<float>(d.m[i]);
    return a;
}

inline Matrix4 fromRows(std::initializer_list<float> values) {
    Matrix4 a;
    int i = 0;
    for (float v : values) a.m[i++] = v;
    return a;
}

inline Matrix4d operator*(const Matrix4d& a, const Matrix4d& b) {
    Matrix4d p;
    for (int i = 0; i < 16; ++i) {
        double s = 0;
        for (int k = 0; k < 4; ++k) s += a.at(i / 4, k) * b.at(k, i % 4);
        p.m[i] = s;
    }
    return p;
}

inline Matrix4d transposed(const Matrix4d& a) {
    Matrix4d t;
    for (int i = 0; i < 16; ++i) t.m[i] = a.at(i % 4, i / 4);
    return t;
}

// Gauss-Jordan with partial pivoting, for the well-conditioned matrices of the tests.
inline Matrix4d inverse(Matrix4d a) {
    Matrix4d inv;
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r) {
            if (std::fabs(a.at(r, c)) > std::fabs(a.at(pivot, c))) pivot = r;
        }
        for (int k = 0; k < 4; ++k) {
            std::swap(a.at(c, k), a.at(pivot, k));
            std::swap(inv.at(c, k), inv.at(pivot, k));
        }
        const double d = a.at(c, c);
        for (int k = 0; k < 4; ++k) {
            a.at(c, k) /= d;
            inv.at(c, k) /= d;
        }
        for (int r = 0; r < 4; ++r) {
            const double f = r == c ? 0.0 : a.at(r, c);
            for (int k = 0; k < 4; ++k) {
                a.at(r, k) -= f * a.at(c, k);
                inv.at(r, k) -= f * inv.at(c, k);
            }
        }
    }
    return inv;
}

// Rotation about x, then y, then z (radians), then the translation.
inline Matrix4d rigidMotion(double ax, double ay, double az, double tx, double ty, double tz) {
    Matrix4d rx, ry, rz;
    rx.at(1, 1) = rx.at(2, 2) = std::cos(ax);
    rx.at(2, 1) = std::sin(ax);
    rx.at(1, 2) = -rx.at(2, 1);
    ry.at(0, 0) = ry.at(2, 2) = std::cos(ay);
    ry.at(0, 2) = std::sin(ay);
    ry.at(2, 0) = -ry.at(0, 2);
    rz.at(0, 0) = rz.at(1, 1) = std::cos(az);
    rz.at(1, 0) = std::sin(az);
    rz.at(0, 1) = -rz.at(1, 0);
    Matrix4d r = rz * ry * rx;
    r.at(0, 3) = tx;
    r.at(1, 3) = ty;
    r.at(2, 3) = tz;
    return r;
}

inline double maxAbsDifference(const Matrix4d& a, const Matrix4d& b) {
    double worst = 0;
    for (int i = 0; i < 16; ++i) worst = std::fmax(worst, std::fabs(a.m[i] - b.m[i]));
    return worst;
}

}  // namespace zandrel::test
