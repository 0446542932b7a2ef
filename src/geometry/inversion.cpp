#include "geometry/inversion.h"

namespace zandrel {

// result = R * T, with R the transposed upper 3 x 4 of the matrix (row 3 keeps only
// the bottom-right element) and T the negated translation. Taking the product through
// `multiply` fixes the rounding of the translation column:
// result[i][3] = M[0][i] * -M[0][3] + M[1][i] * -M[1][3] + M[2][i] * -M[2][3] + M[3][i].
void invertRigid(const Matrix4& matrix, Matrix4& result) {
    Matrix4 transposed;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 4; ++j) transposed.at(i, j) = matrix.at(j, i);
    }
    transposed.at(3, 0) = 0.0f;
    transposed.at(3, 1) = 0.0f;
    transposed.at(3, 2) = 0.0f;
    transposed.at(3, 3) = matrix.at(3, 3);

    Matrix4 untranslate;  // identity
    untranslate.at(0, 3) = -matrix.at(0, 3);
    untranslate.at(1, 3) = -matrix.at(1, 3);
    untranslate.at(2, 3) = -matrix.at(2, 3);

    transposed.multiply(untranslate, result);
}

// V * diag(1 / w) * U^T, dropping the singular values that are exactly 0. Works on
// copies, so `result` may be `matrix`, and it is written only after a successful
// decomposition.
bool invertGeneral(const Matrix4& matrix, Matrix4& result) {
    float uRows[4][4];
    float vRows[4][4];
    float w[4];
    float* u[4] = {uRows[0], uRows[1], uRows[2], uRows[3]};
    float* v[4] = {vRows[0], vRows[1], vRows[2], vRows[3]};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) uRows[r][c] = matrix.at(r, c);
    }
    if (!decomposeSvd(4, 4, u, w, v)) return false;

    float inverse[16];
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                if (w[k] != 0.0f) sum = sum + (uRows[j][k] * vRows[i][k]) / w[k];
            }
            inverse[4 * i + j] = sum;
        }
    }
    for (int i = 0; i < 16; ++i) result.m[i] = inverse[i];
    return true;
}

}  // namespace zandrel
