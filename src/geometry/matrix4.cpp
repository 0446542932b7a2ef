#include "geometry/matrix4.h"

#include <cmath>

#include "geometry/point4.h"

namespace zandrel {

void Matrix4::setIdentity() {
    for (int i = 0; i < 16; ++i) m[i] = 0.0f;
    m[0] = 1.0f;
    m[5] = 1.0f;
    m[10] = 1.0f;
    m[15] = 1.0f;
}

void Matrix4::setDiagonal(float sx, float sy, float sz) {
    for (int i = 0; i < 16; ++i) m[i] = 0.0f;
    m[0] = sx;
    m[5] = sy;
    m[10] = sz;
    m[15] = 1.0f;
}

// Each element starts from its first product (not from 0, which would turn a -0 into +0)
// and adds the other three in the order k = 1..3, every step rounded to float.
// The product is formed in a local array so that `result` may be either factor.
void Matrix4::multiply(const Matrix4& right, Matrix4& result) const {
    const float* b = right.m;
    float product[16];
    for (int r = 0; r < 4; ++r) {
        const float* a = m + 4 * r;
        for (int c = 0; c < 4; ++c) {
            float s = a[0] * b[c];
            s = s + a[1] * b[4 + c];
            s = s + a[2] * b[8 + c];
            s = s + a[3] * b[12 + c];
            product[4 * r + c] = s;
        }
    }
    for (int i = 0; i < 16; ++i) result.m[i] = product[i];
}

void Matrix4::transform(const Point4& point, Point4& result) const {
    // Read the point first so that `result` may be the point itself.
    const float px = point.x;
    const float py = point.y;
    const float pz = point.z;
    const float pw = point.w;
    float row[4];
    for (int r = 0; r < 4; ++r) {
        const float* a = m + 4 * r;
        float s = a[0] * px;
        s = s + a[1] * py;
        s = s + a[2] * pz;
        s = s + a[3] * pw;
        row[r] = s;
    }
    result.x = row[0];
    result.y = row[1];
    result.z = row[2];
    result.w = row[3];
}

bool Matrix4::isFinite() const {
    for (float value : m) {
        if (!std::isfinite(value)) return false;
    }
    return true;
}

// Element-wise float comparison: -0 equals +0, and a matrix holding NaN equals nothing.
bool operator==(const Matrix4& a, const Matrix4& b) {
    for (int i = 0; i < 16; ++i) {
        if (a.m[i] != b.m[i]) return false;
    }
    return true;
}

}  // namespace zandrel
