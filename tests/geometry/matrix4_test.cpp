#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geometry/matrix4.h"
#include "geometry/point4.h"
#include "geometry_test_util.h"

namespace zandrel {
namespace {

using test::fromRows;

TEST(Matrix4, ProductAppliesTheRightFactorFirst) {
    const Matrix4 translate = fromRows({1, 0, 0, 10, 0, 1, 0, 20, 0, 0, 1, 30, 0, 0, 0, 1});
    Matrix4 scale;
    for (float& v : scale.m) v = 7.0f;  // setDiagonal clears every other element
    scale.setDiagonal(2.0f, 3.0f, 4.0f);
    Matrix4 product;
    scale.multiply(translate, product);
    EXPECT_EQ(product, fromRows({2, 0, 0, 20, 0, 3, 0, 60, 0, 0, 4, 120, 0, 0, 0, 1}));
}

// Row (1e8, 1, -1e8, 1) times ones: summed for k = 0..3 with float rounding after every
// step, the 1 at k = 1 is absorbed by 1e8 and the element is 1. Another order or a wider
// accumulator gives 0 or 2.
TEST(Matrix4, ElementsAreFloatSumsInTheOrderKZeroToThree) {
    const Matrix4 left = fromRows({1e8f, 1, -1e8f, 1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    const Matrix4 ones = fromRows({1, 0, 0, 0, 1, 1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1});
    Matrix4 product;
    left.multiply(ones, product);
    EXPECT_EQ(product.at(0, 0), 1.0f);
    Point4 q;
    left.transform(Point4{1.0f, 1.0f, 1.0f, 1.0f}, q);
    EXPECT_EQ(q.x, 1.0f);

    // The sum starts from the first product, so four products of -0 stay -0.
    Matrix4 minusOnes, zeros;
    for (int i = 0; i < 16; ++i) {
        minusOnes.m[i] = -1.0f;
        zeros.m[i] = 0.0f;
    }
    minusOnes.multiply(zeros, product);
    EXPECT_TRUE(std::signbit(product.at(1, 2)));
}

TEST(Matrix4, OperationsMayWriteIntoTheirOperand) {
    const Matrix4 a = fromRows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 1, 2, 3, 4});
    const Matrix4 b = fromRows({0, 1, 0, 1, 1, 0, 0, 2, 0, 0, -1, 3, 0, 0, 0, 1});
    Matrix4 expected, intoLeft = a, intoRight = b;
    a.multiply(b, expected);
    intoLeft.multiply(b, intoLeft);
    a.multiply(intoRight, intoRight);
    EXPECT_EQ(intoLeft, expected);
    EXPECT_EQ(intoRight, expected);

    Point4 p{1.0f, -2.0f, 0.5f, 1.0f};
    a.transform(p, p);
    EXPECT_EQ(p.x, 2.5f);
    EXPECT_EQ(p.z, 6.5f);
    EXPECT_EQ(p.w, 2.5f);  // the bottom row is computed too
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

}  // namespace
}  // namespace zandrel
