#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geometry/matrix4.h"
#include "geometry/point4.h"
#include "geometry_test_util.h"

namespace zandrel {
namespace {

using testing::fromRows;

TEST(Matrix4, DefaultIsIdentityAndSetIdentityRestoresIt) {
    Matrix4 a;
    for (float& v : a.m) v = 7.0f;
    a.setIdentity();
    EXPECT_EQ(a, Matrix4());
}

TEST(Matrix4, SetDiagonalClearsEverythingElse) {
    Matrix4 a;
    for (float& v : a.m) v = 7.0f;
    a.setDiagonal(2.0f, 3.0f, 4.0f);
    EXPECT_EQ(a, fromRows({2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 1}));
}

TEST(Matrix4, MultiplyIsRowTimesColumnWithTheRightFactorActingFirst) {
    const Matrix4 translate = fromRows({1, 0, 0, 10, 0, 1, 0, 20, 0, 0, 1, 30, 0, 0, 0, 1});
    Matrix4 scale;
    scale.setDiagonal(2.0f, 3.0f, 4.0f);
    Matrix4 scaleThenTranslate;
    translate.multiply(scale, scaleThenTranslate);
    EXPECT_EQ(scaleThenTranslate, fromRows({2, 0, 0, 10, 0, 3, 0, 20, 0, 0, 4, 30, 0, 0, 0, 1}));
    Matrix4 translateThenScale;
    scale.multiply(translate, translateThenScale);
    EXPECT_EQ(translateThenScale, fromRows({2, 0, 0, 20, 0, 3, 0, 60, 0, 0, 4, 120, 0, 0, 0, 1}));
}

// Row (1e8, 1, -1e8, 1) against a column of ones: summed for k = 0..3 with float rounding
// after every step the 1 at k = 1 is absorbed by 1e8, so the element is 1, not 2.
// Any other order or a wider accumulator gives a different value.
TEST(Matrix4, ProductSumsInFloatInTheOrderKZeroToThree) {
    const Matrix4 left = fromRows({1e8f, 1, -1e8f, 1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    const Matrix4 ones = fromRows({1, 0, 0, 0, 1, 1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1});
    Matrix4 product;
    left.multiply(ones, product);
    EXPECT_EQ(product.at(0, 0), 1.0f);

    Point4 p{1.0f, 1.0f, 1.0f, 1.0f};
    Point4 q;
    left.transform(p, q);
    EXPECT_EQ(q.x, 1.0f);
}

TEST(Matrix4, ProductStartsFromTheFirstProductSoAllNegativeZeroStaysNegative) {
    Matrix4 minusOnes;
    for (float& v : minusOnes.m) v = -1.0f;
    Matrix4 zeros;
    for (float& v : zeros.m) v = 0.0f;
    Matrix4 product;
    minusOnes.multiply(zeros, product);
    EXPECT_TRUE(std::signbit(product.at(1, 2)));
}

TEST(Matrix4, MultiplyAndTransformMayWriteIntoTheirOperand) {
    const Matrix4 a = fromRows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0, 0, 0, 1});
    const Matrix4 b = fromRows({0, 1, 0, 1, 1, 0, 0, 2, 0, 0, -1, 3, 0, 0, 0, 1});
    Matrix4 expected;
    a.multiply(b, expected);

    Matrix4 intoLeft = a;
    intoLeft.multiply(b, intoLeft);
    EXPECT_EQ(intoLeft, expected);
    Matrix4 intoRight = b;
    a.multiply(intoRight, intoRight);
    EXPECT_EQ(intoRight, expected);

    Point4 p{1.0f, -2.0f, 0.5f, 1.0f};
    a.transform(p, p);
    EXPECT_EQ(p.x, 1.0f - 4.0f + 1.5f + 4.0f);
    EXPECT_EQ(p.y, 5.0f - 12.0f + 3.5f + 8.0f);
    EXPECT_EQ(p.z, 9.0f - 20.0f + 5.5f + 12.0f);
    EXPECT_EQ(p.w, 1.0f);
}

TEST(Matrix4, TransformComputesTheBottomRowToo) {
    const Matrix4 a = fromRows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 4});
    Point4 q;
    a.transform(Point4{1.0f, 1.0f, 1.0f, 2.0f}, q);
    EXPECT_EQ(q.w, 14.0f);
}

TEST(Matrix4, IsFiniteRejectsInfinityAndNaNInAnyElement) {
    EXPECT_TRUE(Matrix4().isFinite());
    for (int i = 0; i < 16; ++i) {
        Matrix4 a;
        a.m[i] = std::numeric_limits<float>::infinity();
        EXPECT_FALSE(a.isFinite()) << "infinity at " << i;
        a.m[i] = std::numeric_limits<float>::quiet_NaN();
        EXPECT_FALSE(a.isFinite()) << "NaN at " << i;
    }
}

TEST(Matrix4, CopyIsAnIndependentValue) {
    Matrix4 a = fromRows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    const Matrix4 copy = a;
    a.at(2, 3) = 0.0f;
    EXPECT_EQ(copy.at(2, 3), 12.0f);
    EXPECT_NE(copy, a);
}

}  // namespace
}  // namespace zandrel
