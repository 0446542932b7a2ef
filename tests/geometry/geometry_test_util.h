#pragma once

#include <cmath>
#include <random>
#include <sstream>
#include <string>

#include "geometry/matrix4.h"

namespace zandrel::testing {

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

inline Matrix4d operator*(const Matrix4d& a, const Matrix4d& b) {
    Matrix4d p;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            double s = 0;
            for (int k = 0; k < 4; ++k) s += a.at(r, k) * b.at(k, c);
            p.at(r, c) = s;
        }
    }
    return p;
}

// Gauss-Jordan inverse with partial pivoting; the matrices it is used on are well conditioned.
inline Matrix4d inverse(const Matrix4d& a) {
    double w[4][8];
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            w[r][c] = a.at(r, c);
            w[r][c + 4] = r == c ? 1.0 : 0.0;
        }
    }
    for (int c = 0; c < 4; ++c) {
        int pivot = c;
        for (int r = c + 1; r < 4; ++r) {
            if (std::fabs(w[r][c]) > std::fabs(w[pivot][c])) pivot = r;
        }
        for (int k = 0; k < 8; ++k) std::swap(w[c][k], w[pivot][k]);
        const double d = w[c][c];
        for (int k = 0; k < 8; ++k) w[c][k] /= d;
        for (int r = 0; r < 4; ++r) {
            if (r == c) continue;
            const double f = w[r][c];
            for (int k = 0; k < 8; ++k) w[r][k] -= f * w[c][k];
        }
    }
    Matrix4d inv;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) inv.at(r, c) = w[r][c + 4];
    }
    return inv;
}

inline Matrix4 fromRows(std::initializer_list<float> values) {
    Matrix4 a;
    int i = 0;
    for (float v : values) a.m[i++] = v;
    return a;
}

// Rotation about x, then y, then z (angles in radians), with a translation.
inline Matrix4d rigidMotion(double ax, double ay, double az, double tx, double ty, double tz) {
    Matrix4d rx, ry, rz;
    rx.at(1, 1) = std::cos(ax); rx.at(1, 2) = -std::sin(ax);
    rx.at(2, 1) = std::sin(ax); rx.at(2, 2) = std::cos(ax);
    ry.at(0, 0) = std::cos(ay); ry.at(0, 2) = std::sin(ay);
    ry.at(2, 0) = -std::sin(ay); ry.at(2, 2) = std::cos(ay);
    rz.at(0, 0) = std::cos(az); rz.at(0, 1) = -std::sin(az);
    rz.at(1, 0) = std::sin(az); rz.at(1, 1) = std::cos(az);
    Matrix4d r = rz * ry * rx;
    r.at(0, 3) = tx;
    r.at(1, 3) = ty;
    r.at(2, 3) = tz;
    return r;
}

inline Matrix4 toFloat(const Matrix4d& d) {
    Matrix4 a;
    for (int i = 0; i < 16; ++i) a.m[i] = static_cast<float>(d.m[i]);
    return a;
}

inline double maxAbsDifference(const Matrix4d& a, const Matrix4d& b) {
    double worst = 0;
    for (int i = 0; i < 16; ++i) worst = std::fmax(worst, std::fabs(a.m[i] - b.m[i]));
    return worst;
}

inline std::string describe(const Matrix4& a) {
    std::ostringstream out;
    out.precision(9);
    for (int r = 0; r < 4; ++r) {
        out << (r == 0 ? "[" : " ");
        for (int c = 0; c < 4; ++c) out << a.at(r, c) << (c < 3 ? ", " : "");
        out << (r == 3 ? "]" : ";\n");
    }
    return out.str();
}

}  // namespace zandrel::testing
