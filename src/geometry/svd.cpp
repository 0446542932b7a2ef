// Singular value decomposition of an m x n matrix in single precision: Householder
// reduction to upper bidiagonal form, accumulation of the right-hand and then the
// left-hand transformations, and diagonalisation by implicit-shift QR sweeps with
// Givens rotations. The general inverse is computed from these factors exactly as they
// come out, so every operation below is float and its order is fixed: a double
// promotion (a double literal, the double overloads of fabs or sqrt) would change the
// last bit of the fine-alignment inverse and with it the voxels at cell boundaries.
#include <array>
#include <cmath>
#include <vector>

#include "geometry/inversion.h"

namespace zandrel {

namespace {

// Splitting tests allowed for one singular value; the last one that still finds no
// split ends the decomposition unsuccessfully.
constexpr int kMaxSplitTests = 30;

// sqrt(a^2 + b^2) without destructive overflow or underflow.
float hypotenuse(float a, float b) {
    const float absA = std::fabs(a);
    const float absB = std::fabs(b);
    if (absA > absB) {
        const float ratio = absB / absA;
        return absA * std::sqrt(1.0f + ratio * ratio);
    }
    if (absB == 0.0f) return 0.0f;
    const float ratio = absA / absB;
    return absB * std::sqrt(1.0f + ratio * ratio);
}

// |magnitude| with the sign of `sign`; a zero sign (either zero) counts as positive.
float withSignOf(float magnitude, float sign) {
    return sign >= 0.0f ? std::fabs(magnitude) : -std::fabs(magnitude);
}

// A value is negligible when adding it to the norm estimate leaves that unchanged.
bool negligible(float value, float anorm) {
    const float sum = std::fabs(value) + anorm;
    return sum == anorm;
}

struct Decomposition {
    int m;
    int n;
    float** a;   // the input, becomes U
    float* w;    // diagonal, becomes the singular values
    float** v;   // V
    float* rv1;  // superdiagonal (rv1[0] is 0), also scratch for the row reflections
    float anorm = 0.0f;

    void reduceToBidiagonal();
    void accumulateRight();
    void accumulateLeft();
    bool diagonalise();
    void rotateColumnsOfU(int first, int second, float c, float s);
    void rotateColumnsOfV(int first, int second, float c, float s);
};

// Column and row reflections alternate; each reflection works on its entries divided
// by their sum of absolute values (`scale`) and is skipped when that sum is 0.
void Decomposition::reduceToBidiagonal() {
    rv1[0] = 0.0f;
    anorm = 0.0f;
    for (int i = 0; i < n; ++i) {
        const int l = i + 1;

        // Column reflection: zeroes a[i+1..m-1][i].
        float scale = 0.0f;
        float g = 0.0f;
        if (i < m) {
            for (int k = i; k < m; ++k) scale = scale + std::fabs(a[k][i]);
            if (scale != 0.0f) {
                float s = 0.0f;
                for (int k = i; k < m; ++k) {
                    a[k][i] = a[k][i] / scale;
                    s = s + a[k][i] * a[k][i];
                }
                const float f = a[i][i];
                g = -withSignOf(std::sqrt(s), f);
                const float h = f * g - s;
                a[i][i] = f - g;
                for (int j = l; j < n; ++j) {
                    float dot = 0.0f;
                    for (int k = i; k < m; ++k) dot = dot + a[k][i] * a[k][j];
                    const float factor = dot / h;
                    for (int k = i; k < m; ++k) a[k][j] = a[k][j] + factor * a[k][i];
                }
                for (int k = i; k < m; ++k) a[k][i] = a[k][i] * scale;
            }
        }
        w[i] = scale * g;

        // Row reflection: zeroes a[i][i+2..n-1]; rv1[l..n-1] holds its vector meanwhile.
        scale = 0.0f;
        g = 0.0f;
        if (i < m && i != n - 1) {
            for (int k = l; k < n; ++k) scale = scale + std::fabs(a[i][k]);
            if (scale != 0.0f) {
                float s = 0.0f;
                for (int k = l; k < n; ++k) {
                    a[i][k] = a[i][k] / scale;
                    s = s + a[i][k] * a[i][k];
                }
                const float f = a[i][l];
                g = -withSignOf(std::sqrt(s), f);
                const float h = f * g - s;
                a[i][l] = f - g;
                for (int k = l; k < n; ++k) rv1[k] = a[i][k] / h;
                for (int j = l; j < m; ++j) {
                    float dot = 0.0f;
                    for (int k = l; k < n; ++k) dot = dot + a[j][k] * a[i][k];
                    for (int k = l; k < n; ++k) a[j][k] = a[j][k] + dot * rv1[k];
                }
                for (int k = l; k < n; ++k) a[i][k] = a[i][k] * scale;
            }
        }

        const float extent = std::fabs(w[i]) + std::fabs(rv1[i]);
        anorm = anorm > extent ? anorm : extent;
        if (l < n) rv1[l] = scale * g;
    }
}

// V from the row reflections, last column first. The double division avoids an
// underflow of the product a[i][l] * g.
void Decomposition::accumulateRight() {
    for (int i = n - 1; i >= 0; --i) {
        if (i < n - 1) {
            const int l = i + 1;
            const float g = rv1[l];
            if (g != 0.0f) {
                for (int j = l; j < n; ++j) v[j][i] = (a[i][j] / a[i][l]) / g;
                for (int j = l; j < n; ++j) {
                    float dot = 0.0f;
                    for (int k = l; k < n; ++k) dot = dot + a[i][k] * v[k][j];
                    for (int k = l; k < n; ++k) v[k][j] = v[k][j] + dot * v[k][i];
                }
            }
            for (int j = l; j < n; ++j) {
                v[i][j] = 0.0f;
                v[j][i] = 0.0f;
            }
        }
        v[i][i] = 1.0f;
    }
}

// U in place of a from the column reflections, column min(m, n) - 1 first.
void Decomposition::accumulateLeft() {
    const int columns = m < n ? m : n;
    for (int i = columns - 1; i >= 0; --i) {
        const int l = i + 1;
        float g = w[i];
        for (int j = l; j < n; ++j) a[i][j] = 0.0f;
        if (g != 0.0f) {
            g = 1.0f / g;
            for (int j = l; j < n; ++j) {
                float dot = 0.0f;
                for (int k = l; k < m; ++k) dot = dot + a[k][i] * a[k][j];
                const float factor = (dot / a[i][i]) * g;
                for (int k = i; k < m; ++k) a[k][j] = a[k][j] + factor * a[k][i];
            }
            for (int j = i; j < m; ++j) a[j][i] = a[j][i] * g;
        } else {
            for (int j = i; j < m; ++j) a[j][i] = 0.0f;
        }
        a[i][i] = a[i][i] + 1.0f;
    }
}

void Decomposition::rotateColumnsOfU(int first, int second, float c, float s) {
    for (int j = 0; j < m; ++j) {
        const float y = a[j][first];
        const float z = a[j][second];
        a[j][first] = y * c + z * s;
        a[j][second] = z * c - y * s;
    }
}

void Decomposition::rotateColumnsOfV(int first, int second, float c, float s) {
    for (int j = 0; j < n; ++j) {
        const float x = v[j][first];
        const float z = v[j][second];
        v[j][first] = x * c + z * s;
        v[j][second] = z * c - x * s;
    }
}

bool Decomposition::diagonalise() {
    for (int k = n - 1; k >= 0; --k) {
        for (int test = 1; test <= kMaxSplitTests; ++test) {
            // Look for a split: a negligible superdiagonal element rv1[l], or a negligible
            // diagonal element w[l - 1], which needs its superdiagonal cancelled first.
            // rv1[0] is 0, so l = 0 is always a split; it is taken as one without the
            // test, which a NaN norm estimate would fail.
            int l = k;
            bool cancel = true;
            for (; l >= 0; --l) {
                if (l == 0 || negligible(rv1[l], anorm)) {
                    cancel = false;
                    break;
                }
                if (negligible(w[l - 1], anorm)) break;
            }
            if (cancel) {
                const int nm = l - 1;
                float c = 0.0f;
                float s = 1.0f;
                for (int i = l; i <= k; ++i) {
                    const float f = s * rv1[i];
                    rv1[i] = c * rv1[i];
                    if (negligible(f, anorm)) break;
                    const float g = w[i];
                    float h = hypotenuse(f, g);
                    w[i] = h;
                    h = 1.0f / h;
                    c = g * h;
                    s = -f * h;
                    rotateColumnsOfU(nm, i, c, s);
                }
            }

            float z = w[k];
            if (l == k) {
                // Converged: make the singular value non-negative.
                if (z < 0.0f) {
                    w[k] = -z;
                    for (int j = 0; j < n; ++j) v[j][k] = -v[j][k];
                }
                break;
            }
            if (test == kMaxSplitTests) return false;

            // Shift from the bottom 2 x 2 minor.
            float x = w[l];
            int nm = k - 1;
            float y = w[nm];
            float g = rv1[nm];
            float h = rv1[k];
            float f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0f * h * y);
            g = hypotenuse(f, 1.0f);
            f = ((x - z) * (x + z) + h * ((y / (f + withSignOf(g, f))) - h)) / x;

            // QR sweep: chase the bulge down with alternating right and left rotations.
            float c = 1.0f;
            float s = 1.0f;
            for (int j = l; j <= nm; ++j) {
                const int i = j + 1;
                g = rv1[i];
                y = w[i];
                h = s * g;
                g = c * g;
                z = hypotenuse(f, h);
                rv1[j] = z;
                c = f / z;
                s = h / z;
                f = x * c + g * s;
                g = g * c - x * s;
                h = y * s;
                y = y * c;
                rotateColumnsOfV(j, i, c, s);
                z = hypotenuse(f, h);
                w[j] = z;
                if (z != 0.0f) {
                    z = 1.0f / z;
                    c = f * z;
                    s = h * z;
                }
                f = c * g + s * y;
                x = c * y - s * g;
                rotateColumnsOfU(j, i, c, s);
            }
            rv1[l] = 0.0f;
            rv1[k] = f;
            w[k] = x;
        }
    }
    return true;
}

}  // namespace

bool decomposeSvd(int m, int n, float** a, float* w, float** v) {
    if (m <= 0 || n <= 0 || a == nullptr || w == nullptr || v == nullptr) return false;
    // The superdiagonal needs n floats: on the stack for the 4 x 4 matrices of the
    // chain, so that the decomposition neither allocates nor throws there.
    std::array<float, 16> small{};
    std::vector<float> large;
    float* rv1 = small.data();
    if (n > static_cast<int>(small.size())) {
        large.assign(static_cast<std::size_t>(n), 0.0f);
        rv1 = large.data();
    }
    Decomposition d{m, n, a, w, v, rv1};
    d.reduceToBidiagonal();
    d.accumulateRight();
    d.accumulateLeft();
    return d.diagonalise();
}

}  // namespace zandrel
