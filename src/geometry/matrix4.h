#pragma once

#include <iosfwd>

namespace zandrel {

struct Point4;

// A 4 x 4 single-precision matrix, row-major: element (r, c) is m[4 * r + c].
// Points are column vectors, so in a product A * B applied to a point B acts first.
// Every element of a product is the float sum of its four products taken for k = 0..3,
// each product and each partial sum rounded to float before the next operation.
// No operation allocates.
struct Matrix4 {
    float m[16] = {1.0f, 0.0f, 0.0f, 0.0f,
                   0.0f, 1.0f, 0.0f, 0.0f,
                   0.0f, 0.0f, 1.0f, 0.0f,
                   0.0f, 0.0f, 0.0f, 1.0f};

    float& at(int row, int column) { return m[4 * row + column]; }
    float at(int row, int column) const { return m[4 * row + column]; }

    void setIdentity();
    // diag(sx, sy, sz, 1), every other element 0.
    void setDiagonal(float sx, float sy, float sz);
    // result = (*this) * right; result may be *this or right.
    void multiply(const Matrix4& right, Matrix4& result) const;
    // result = (*this) * point, all four rows; result may be point.
    void transform(const Point4& point, Point4& result) const;

    // True when no element is infinite or NaN.
    bool isFinite() const;
};

// Element-wise float comparison (-0 equals +0; NaN equals nothing).
bool operator==(const Matrix4& a, const Matrix4& b);
inline bool operator!=(const Matrix4& a, const Matrix4& b) { return !(a == b); }

// The four rows, one a line, each element in hexadecimal form and in shortest-exact decimal
// (for example "0x1.8p+1 (3)"), so that neighbouring floats differ visibly: for test
// failures and diagnostics, never for an output file.
std::ostream& operator<<(std::ostream& out, const Matrix4& a);

}  // namespace zandrel
