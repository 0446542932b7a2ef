#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "geometry/inversion.h"
#include "geometry_test_util.h"

namespace zandrel {
namespace {

using testing::describe;
using testing::fromRows;
using testing::Matrix4d;
using testing::maxAbsDifference;
using testing::rigidMotion;
using testing::toDouble;
using testing::toFloat;

Matrix4d transposed(const Matrix4d& a) {
    Matrix4d t;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) t.at(r, c) = a.at(c, r);
    }
    return t;
}

// ---- rigid-body inverse -------------------------------------------------------------

TEST(InvertRigid, IdentityStaysIdentity) {
    Matrix4 result;
    result.m[3] = 9.0f;
    invertRigid(Matrix4(), result);
    EXPECT_EQ(result, Matrix4());
}

TEST(InvertRigid, PureTranslationIsNegated) {
    Matrix4 result;
    invertRigid(fromRows({1, 0, 0, 3.5f, 0, 1, 0, -2, 0, 0, 1, 7, 0, 0, 0, 1}), result);
    EXPECT_EQ(result, fromRows({1, 0, 0, -3.5f, 0, 1, 0, 2, 0, 0, 1, -7, 0, 0, 0, 1}));
}

TEST(InvertRigid, RotationWithTranslationIsTheInverse) {
    const Matrix4d motion = rigidMotion(0.3, -0.2, 1.1, 12.0, -40.0, 5.5);
    Matrix4 result;
    invertRigid(toFloat(motion), result);
    EXPECT_LT(maxAbsDifference(toDouble(result), testing::inverse(toDouble(toFloat(motion)))), 2e-5)
        << describe(result);
}

// A scaled block is not inverted, only transposed: the inverse is exact for rotations only.
TEST(InvertRigid, ScaledBlockIsOnlyTransposed) {
    const Matrix4 scaled = fromRows({2, 1, 0, 4, 0, 3, 0, 0, 0, 0, 5, 1, 0, 0, 0, 1});
    Matrix4 result;
    invertRigid(scaled, result);
    EXPECT_EQ(result, fromRows({2, 0, 0, -8, 1, 3, 0, -4, 0, 0, 5, -5, 0, 0, 0, 1}));
}

TEST(InvertRigid, BottomRowKeepsOnlyItsLastElement) {
    const Matrix4 odd = fromRows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 4, 5, 6, 2});
    Matrix4 result;
    invertRigid(odd, result);
    EXPECT_EQ(result, fromRows({1, 0, 0, 4, 0, 1, 0, 5, 0, 0, 1, 6, 0, 0, 0, 2}));
}

TEST(InvertRigid, ResultMayBeTheInput) {
    Matrix4 a = toFloat(rigidMotion(0.1, 0.2, 0.3, 1, 2, 3));
    Matrix4 expected;
    invertRigid(a, expected);
    invertRigid(a, a);
    EXPECT_EQ(a, expected);
}

// ---- singular value decomposition ---------------------------------------------------

struct Svd4 {
    float u[4][4];
    float v[4][4];
    float w[4];
    bool ok;
};

Svd4 decompose(const Matrix4& a) {
    Svd4 s{};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) s.u[r][c] = a.at(r, c);
    }
    float* u[4] = {s.u[0], s.u[1], s.u[2], s.u[3]};
    float* v[4] = {s.v[0], s.v[1], s.v[2], s.v[3]};
    s.ok = decomposeSvd(4, 4, u, s.w, v);
    return s;
}

TEST(DecomposeSvd, DiagonalGivesItsDiagonalBackUnsorted) {
    Matrix4 a;
    a.setDiagonal(2.0f, 4.0f, 0.5f);
    const Svd4 s = decompose(a);
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.w[0], 2.0f);
    EXPECT_EQ(s.w[1], 4.0f);
    EXPECT_EQ(s.w[2], 0.5f);
    EXPECT_EQ(s.w[3], 1.0f);
}

TEST(DecomposeSvd, NegativeDiagonalComesOutNonNegativeWithVNegated) {
    Matrix4 a;
    a.setDiagonal(-3.0f, 1.0f, -0.25f);
    const Svd4 s = decompose(a);
    ASSERT_TRUE(s.ok);
    for (int k = 0; k < 4; ++k) EXPECT_GE(s.w[k], 0.0f) << "w[" << k << "]";
    EXPECT_FLOAT_EQ(s.w[0], 3.0f);
    EXPECT_FLOAT_EQ(s.w[2], 0.25f);
}

// Random matrices of several shapes: U has orthonormal columns, V is orthogonal and
// U diag(w) V^T gives the input back.
TEST(DecomposeSvd, FactorsReconstructTheInput) {
    std::mt19937 random(20240611u);
    std::uniform_real_distribution<float> value(-10.0f, 10.0f);
    const int shapes[][2] = {{4, 4}, {6, 4}, {5, 3}, {18, 18}};
    for (const auto& shape : shapes) {
        const int m = shape[0];
        const int n = shape[1];
        for (int trial = 0; trial < 20; ++trial) {
            std::vector<std::vector<float>> input(m, std::vector<float>(n));
            for (auto& row : input) {
                for (float& x : row) x = value(random);
            }
            std::vector<std::vector<float>> a = input;
            std::vector<std::vector<float>> v(n, std::vector<float>(n));
            std::vector<float> w(n);
            std::vector<float*> aRows, vRows;
            for (auto& row : a) aRows.push_back(row.data());
            for (auto& row : v) vRows.push_back(row.data());
            ASSERT_TRUE(decomposeSvd(m, n, aRows.data(), w.data(), vRows.data()))
                << m << " x " << n << " trial " << trial;

            double worst = 0, worstOrthogonality = 0;
            for (int r = 0; r < m; ++r) {
                for (int c = 0; c < n; ++c) {
                    double sum = 0;
                    for (int k = 0; k < n; ++k) sum += double(a[r][k]) * w[k] * v[c][k];
                    worst = std::fmax(worst, std::fabs(sum - input[r][c]));
                }
            }
            for (int i = 0; i < n; ++i) {
                EXPECT_GE(w[i], 0.0f);
                for (int j = 0; j < n; ++j) {
                    double uu = 0, vv = 0;
                    for (int r = 0; r < m; ++r) uu += double(a[r][i]) * a[r][j];
                    for (int r = 0; r < n; ++r) vv += double(v[r][i]) * v[r][j];
                    const double target = i == j ? 1.0 : 0.0;
                    worstOrthogonality = std::fmax(worstOrthogonality, std::fabs(uu - target));
                    worstOrthogonality = std::fmax(worstOrthogonality, std::fabs(vv - target));
                }
            }
            EXPECT_LT(worst, 2e-4 * n) << m << " x " << n << " trial " << trial;
            EXPECT_LT(worstOrthogonality, 1e-5 * n) << m << " x " << n << " trial " << trial;
        }
    }
}

TEST(DecomposeSvd, RejectsEmptyShapesAndMissingStorage) {
    float row[1] = {1.0f};
    float* rows[1] = {row};
    float w[1];
    float vRow[1];
    float* v[1] = {vRow};
    EXPECT_FALSE(decomposeSvd(0, 1, rows, w, v));
    EXPECT_FALSE(decomposeSvd(1, 0, rows, w, v));
    EXPECT_FALSE(decomposeSvd(1, 1, nullptr, w, v));
    EXPECT_TRUE(decomposeSvd(1, 1, rows, w, v));
    EXPECT_EQ(w[0], 1.0f);
}

// ---- general inverse ----------------------------------------------------------------

TEST(InvertGeneral, DiagonalInvertsElementwise) {
    Matrix4 a;
    a.setDiagonal(2.0f, -4.0f, 0.5f);
    Matrix4 result;
    ASSERT_TRUE(invertGeneral(a, result));
    Matrix4 expected;
    expected.setDiagonal(0.5f, -0.25f, 2.0f);
    EXPECT_LT(maxAbsDifference(toDouble(result), toDouble(expected)), 1e-6) << describe(result);
}

TEST(InvertGeneral, ExactlyZeroSingularValueIsSkipped) {
    Matrix4 a;
    a.setDiagonal(2.0f, 4.0f, 8.0f);
    a.at(3, 3) = 0.0f;
    Matrix4 result;
    ASSERT_TRUE(invertGeneral(a, result));
    Matrix4 expected;
    expected.setDiagonal(0.5f, 0.25f, 0.125f);
    expected.at(3, 3) = 0.0f;
    EXPECT_LT(maxAbsDifference(toDouble(result), toDouble(expected)), 1e-7) << describe(result);
    EXPECT_TRUE(result.isFinite());
}

TEST(InvertGeneral, ZeroMatrixGivesZero) {
    Matrix4 zero;
    for (float& v : zero.m) v = 0.0f;
    Matrix4 result;
    ASSERT_TRUE(invertGeneral(zero, result));
    for (int i = 0; i < 16; ++i) EXPECT_EQ(result.m[i], 0.0f) << "element " << i;
}

TEST(InvertGeneral, OrthonormalMatrixInvertsToItsTranspose) {
    // A rotation block together with a permutation and a sign change in the fourth axis.
    Matrix4d q = rigidMotion(0.7, -1.2, 2.5, 0, 0, 0);
    q.at(3, 3) = -1.0;
    const Matrix4 a = toFloat(q);
    Matrix4 result;
    ASSERT_TRUE(invertGeneral(a, result));
    EXPECT_LT(maxAbsDifference(toDouble(result), transposed(toDouble(a))), 1e-6) << describe(result);
}

// Well-conditioned rigid and affine matrices invert to single-precision accuracy:
// M * M^-1 is the identity within 1e-5. A translation t makes the homogeneous matrix
// worse conditioned (its singular values spread to about |t| and 1 / |t|), so the bound
// grows with |t|: fine-alignment sized shifts of a few millimetres keep it near 1e-5.
TEST(InvertGeneral, RandomWellConditionedMatricesInvertToFloatAccuracy) {
    std::mt19937 random(77u);
    std::uniform_real_distribution<double> angle(-3.1, 3.1);
    std::uniform_real_distribution<double> stretch(0.7, 1.4);
    std::uniform_real_distribution<double> shear(-0.2, 0.2);
    for (double maxShift : {5.0, 60.0}) {
        std::uniform_real_distribution<double> shift(-maxShift, maxShift);
        for (int trial = 0; trial < 200; ++trial) {
            const double t[3] = {shift(random), shift(random), shift(random)};
            Matrix4d m = rigidMotion(angle(random), angle(random), angle(random), t[0], t[1], t[2]);
            const bool affine = trial % 2 == 1;
            if (affine) {
                Matrix4d deform;
                for (int r = 0; r < 3; ++r) {
                    for (int c = 0; c < 3; ++c) deform.at(r, c) = r == c ? stretch(random) : shear(random);
                }
                m = m * deform;
            }
            const Matrix4 a = toFloat(m);
            Matrix4 result;
            ASSERT_TRUE(invertGeneral(a, result)) << describe(a);
            const Matrix4d product = toDouble(a) * toDouble(result);
            const double tolerance = 1e-5 * (1.0 + std::sqrt(t[0] * t[0] + t[1] * t[1] + t[2] * t[2]));
            double worst = 0;
            for (int r = 0; r < 4; ++r) {
                for (int c = 0; c < 4; ++c) {
                    worst = std::fmax(worst, std::fabs(product.at(r, c) - (r == c ? 1.0 : 0.0)));
                }
            }
            EXPECT_LT(worst, tolerance) << (affine ? "affine" : "rigid") << " trial " << trial
                                        << ", shifts up to " << maxShift << "\n" << describe(a);
        }
    }
}

// Rank-deficient matrices whose decomposition finds an exactly zero singular value: a zero
// last row and column (split off at once) and a zero first column (a zero diagonal element
// whose superdiagonal is cancelled by rotations). The result is the pseudo-inverse: the
// four Penrose conditions hold, and a zero column of A gives a zero row of A^+.
TEST(InvertGeneral, RankDeficientMatrixGivesThePseudoInverse) {
    struct Case {
        const char* name;
        Matrix4 a;
        int zeroRowOfInverse;
    };
    const Case cases[] = {
        {"zero last row and column", fromRows({4, 1, 0.5f, 0, 1, 3, -1, 0, 0.5f, -1, 2, 0, 0, 0, 0, 0}), 3},
        {"zero first column", fromRows({0, 4, 1, 0.5f, 0, 1, 3, -1, 0, 0.5f, -1, 2, 0, 1, 2, 3}), 0},
    };
    for (const Case& c : cases) {
        Matrix4 result;
        ASSERT_TRUE(invertGeneral(c.a, result)) << c.name;
        ASSERT_TRUE(result.isFinite()) << c.name << "\n" << describe(result);
        const Matrix4d A = toDouble(c.a);
        const Matrix4d P = toDouble(result);
        const Matrix4d AP = A * P;
        const Matrix4d PA = P * A;
        EXPECT_LT(maxAbsDifference(AP * A, A), 1e-5) << c.name << ": A P A = A";
        EXPECT_LT(maxAbsDifference(PA * P, P), 1e-5) << c.name << ": P A P = P";
        EXPECT_LT(maxAbsDifference(transposed(AP), AP), 1e-5) << c.name << ": A P symmetric";
        EXPECT_LT(maxAbsDifference(transposed(PA), PA), 1e-5) << c.name << ": P A symmetric";
        for (int col = 0; col < 4; ++col) {
            EXPECT_EQ(result.at(c.zeroRowOfInverse, col), 0.0f) << c.name << ", column " << col;
        }
    }
}

TEST(InvertGeneral, ResultMayBeTheInput) {
    Matrix4 a = fromRows({2, 1, 0, 3, 1, 3, 0.5f, -1, 0, 0.25f, 4, 2, 0, 0, 0, 1});
    Matrix4 expected;
    ASSERT_TRUE(invertGeneral(a, expected));
    ASSERT_TRUE(invertGeneral(a, a));
    EXPECT_EQ(a, expected);
}

// Input that no decomposition can settle must end, not hang or crash; a failed inverse
// leaves the caller's result as it was.
TEST(InvertGeneral, NonFiniteInputTerminatesAndLeavesTheResultOnFailure) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float poison[] = {nan, inf, -inf};
    for (float bad : poison) {
        for (int element : {0, 5, 7, 15}) {
            Matrix4 a = fromRows({2, 1, 0, 3, 1, 3, 0.5f, -1, 0, 0.25f, 4, 2, 0, 0, 0, 1});
            a.m[element] = bad;
            Matrix4 result = fromRows({9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
            const Matrix4 before = result;
            const bool ok = invertGeneral(a, result);
            if (ok) {
                EXPECT_FALSE(result.isFinite()) << bad << " at " << element;
            } else {
                EXPECT_EQ(result, before) << bad << " at " << element;
            }
        }
    }
}

}  // namespace
}  // namespace zandrel
