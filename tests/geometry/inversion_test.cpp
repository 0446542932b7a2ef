#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "generator/random.h"
#include "geometry/inversion.h"
#include "geometry_test_util.h"

namespace zandrel {
namespace {

using namespace zandrel::test;

TEST(InvertRigid, TransposesTheBlockAndTakesTheTranslationThroughIt) {
    struct Case {
        const char* name;
        Matrix4 input, expected;
    };
    const Case cases[] = {
        {"identity", Matrix4(), Matrix4()},
        {"translation", fromRows({1, 0, 0, 3.5f, 0, 1, 0, -2, 0, 0, 1, 7, 0, 0, 0, 1}),
         fromRows({1, 0, 0, -3.5f, 0, 1, 0, 2, 0, 0, 1, -7, 0, 0, 0, 1})},
        // Not an inverse: a scaled block is only transposed.
        {"scaled block", fromRows({2, 1, 0, 4, 0, 3, 0, 0, 0, 0, 5, 1, 0, 0, 0, 1}),
         fromRows({2, 0, 0, -8, 1, 3, 0, -4, 0, 0, 5, -5, 0, 0, 0, 1})},
        {"bottom row", fromRows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 4, 5, 6, 2}),
         fromRows({1, 0, 0, 4, 0, 1, 0, 5, 0, 0, 1, 6, 0, 0, 0, 2})},
    };
    for (const Case& c : cases) {
        Matrix4 result = c.input;  // the result may be the input
        invertRigid(result, result);
        EXPECT_EQ(result, c.expected) << c.name;
    }
    const Matrix4 motion = toFloat(rigidMotion(0.3, -0.2, 1.1, 12.0, -40.0, 5.5));
    Matrix4 result;
    invertRigid(motion, result);
    EXPECT_LT(maxAbsDifference(toDouble(result), inverse(toDouble(motion))), 2e-5);
}

// Singular values of a diagonal matrix come out in the order of the diagonal, unsorted
// and non-negative.
TEST(DecomposeSvd, DiagonalGivesItsDiagonalBackUnsortedAndNonNegative) {
    float rows[4][4] = {{2, 0, 0, 0}, {0, 4, 0, 0}, {0, 0, -0.5f, 0}, {0, 0, 0, 1}};
    float vRows[4][4], w[4];
    float* a[4] = {rows[0], rows[1], rows[2], rows[3]};
    float* v[4] = {vRows[0], vRows[1], vRows[2], vRows[3]};
    ASSERT_TRUE(decomposeSvd(4, 4, a, w, v));
    EXPECT_EQ(w[0], 2.0f);
    EXPECT_EQ(w[1], 4.0f);
    EXPECT_EQ(w[2], 0.5f);
    EXPECT_EQ(w[3], 1.0f);
    EXPECT_FALSE(decomposeSvd(0, 4, a, w, v));
}

// Other shapes, including more columns than fit the stack scratch: U diag(w) V^T gives
// the input back.
TEST(DecomposeSvd, FactorsOfOtherShapesReconstructTheInput) {
    const std::uint64_t seed = 11;
    SCOPED_TRACE(::testing::Message() << "random seed " << seed);
    studygen::Random random(seed);
    for (const auto& [m, n] : {std::pair{6, 4}, std::pair{5, 3}, std::pair{18, 18}}) {
        std::vector<std::vector<float>> input(m, std::vector<float>(n)), v(n, std::vector<float>(n));
        for (auto& row : input) {
            for (float& x : row) x = static_cast<float>(random.uniform(-10.0, 10.0));
        }
        std::vector<std::vector<float>> u = input;
        std::vector<float> w(n);
        std::vector<float*> uRows, vRows;
        for (auto& row : u) uRows.push_back(row.data());
        for (auto& row : v) vRows.push_back(row.data());
        ASSERT_TRUE(decomposeSvd(m, n, uRows.data(), w.data(), vRows.data())) << m << " x " << n;
        for (int i = 0; i < m * n; ++i) {
            double sum = 0;
            for (int k = 0; k < n; ++k) sum += double(u[i / n][k]) * w[k] * v[i % n][k];
            EXPECT_NEAR(sum, input[i / n][i % n], 2e-4 * n) << m << " x " << n << ", element " << i;
        }
    }
}

// Exactly zero singular values are skipped: the result is the pseudo-inverse, which the
// four Penrose conditions identify. The cases reach a zero singular value in different
// ways: at once (zero last row and column), through the cancellation of a superdiagonal
// element (zero first column), or everywhere (zero matrix).
TEST(InvertGeneral, SingularMatricesGiveThePseudoInverse) {
    Matrix4 zero;
    for (float& v : zero.m) v = 0.0f;
    const Matrix4 cases[] = {
        fromRows({2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 8, 0, 0, 0, 0, 0}),
        fromRows({4, 1, 0.5f, 0, 1, 3, -1, 0, 0.5f, -1, 2, 0, 0, 0, 0, 0}),
        fromRows({0, 4, 1, 0.5f, 0, 1, 3, -1, 0, 0.5f, -1, 2, 0, 1, 2, 3}),
        zero,
    };
    for (const Matrix4& a : cases) {
        const std::string name = ::testing::PrintToString(a);
        Matrix4 result;
        ASSERT_TRUE(invertGeneral(a, result)) << name;
        ASSERT_TRUE(result.isFinite()) << name;
        const Matrix4d A = toDouble(a), P = toDouble(result), AP = A * P, PA = P * A;
        EXPECT_LT(maxAbsDifference(AP * A, A), 1e-5) << name << ": A P A = A";
        EXPECT_LT(maxAbsDifference(PA * P, P), 1e-5) << name << ": P A P = P";
        EXPECT_LT(maxAbsDifference(transposed(AP), AP), 1e-5) << name << ": A P symmetric";
        EXPECT_LT(maxAbsDifference(transposed(PA), PA), 1e-5) << name << ": P A symmetric";
    }
}

// Orthonormal matrices invert to their transpose; random rigid and affine matrices invert
// to single-precision accuracy, M * M^-1 = I within 1e-5. A translation t spreads the
// singular values of the homogeneous matrix to about |t| and 1 / |t|, so the bound grows
// with |t|; fine-alignment sized shifts of a few millimetres keep it near 1e-5.
TEST(InvertGeneral, WellConditionedMatricesInvertToFloatAccuracy) {
    Matrix4d orthonormal = rigidMotion(0.7, -1.2, 2.5, 0, 0, 0);
    orthonormal.at(3, 3) = -1.0;
    Matrix4 result;
    ASSERT_TRUE(invertGeneral(toFloat(orthonormal), result));
    EXPECT_LT(maxAbsDifference(toDouble(result), transposed(toDouble(toFloat(orthonormal)))), 1e-6);

    const std::uint64_t seed = 77;
    SCOPED_TRACE(::testing::Message() << "random seed " << seed);
    studygen::Random random(seed);
    const auto angle = [&random] { return random.uniform(-3.1, 3.1); };
    for (double maxShift : {5.0, 60.0}) {
        const auto shift = [&random, maxShift] { return random.uniform(-maxShift, maxShift); };
        for (int trial = 0; trial < 200; ++trial) {
            const double t[3] = {shift(), shift(), shift()};
            Matrix4d m = rigidMotion(angle(), angle(), angle(), t[0], t[1], t[2]);
            Matrix4d deform;
            for (int i = 0; i < 16 && trial % 2 == 1; ++i) {
                if (i / 4 < 3 && i % 4 < 3) deform.m[i] = i / 4 == i % 4 ? random.uniform(0.7, 1.4) : random.uniform(-0.2, 0.2);
            }
            const Matrix4 a = toFloat(m * deform);
            ASSERT_TRUE(invertGeneral(a, result)) << "trial " << trial;
            const double tolerance = 1e-5 * (1.0 + std::sqrt(t[0] * t[0] + t[1] * t[1] + t[2] * t[2]));
            EXPECT_LT(maxAbsDifference(toDouble(a) * toDouble(result), Matrix4d()), tolerance)
                << (trial % 2 ? "affine" : "rigid") << " trial " << trial << ", shifts up to " << maxShift;
        }
    }
}

// Input that no decomposition can settle must end, not hang or crash; a failed inverse
// leaves the caller's result as it was.
TEST(InvertGeneral, NonFiniteInputTerminatesAndLeavesTheResultOnFailure) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float bad : {nan, inf, -inf}) {
        for (int element : {0, 5, 7, 15}) {
            Matrix4 a = fromRows({2, 1, 0, 3, 1, 3, 0.5f, -1, 0, 0.25f, 4, 2, 0, 0, 0, 1});
            a.m[element] = bad;
            Matrix4 result = fromRows({9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
            const Matrix4 before = result;
            if (invertGeneral(a, result)) {
                EXPECT_FALSE(result.isFinite()) << bad << " at " << element;
            } else {
                EXPECT_EQ(result, before) << bad << " at " << element;
            }
        }
    }
}

}  // namespace
}  // namespace zandrel
