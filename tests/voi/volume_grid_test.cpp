#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "generator/random.h"
#include "geometry/volume_grid.h"
#include "voi/voi_scan.h"

namespace zandrel {
namespace {

constexpr std::int32_t kOutside = -1;

TEST(NearestCell, CellCoversFromMinusHalfIncludedToPlusHalfExcluded) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float value;
        std::int32_t size;
        std::int32_t expected;
    };
    const Case cases[] = {
        {-0.5f, 10, 0},
        {0.0f, 10, 0},
        {-0.0f, 10, 0},
        {std::nextafter(0.5f, 0.0f), 10, 0},
        {0.5f, 10, 1},
        {std::nextafter(-0.5f, -1.0f), 10, kOutside},
        {-1.0f, 10, kOutside},
        {-2.5f, 10, kOutside},  // would truncate to 0 - 2 without the lower bound
        {8.5f, 10, 9},
        {std::nextafter(9.5f, 0.0f), 10, 9},
        {9.5f, 10, kOutside},  // size - 0.5
        {1.5f, 10, 2},
        {std::nextafter(1.5f, 0.0f), 10, 1},
        {63.5f, 64, kOutside},
        {62.5f, 64, 63},
        {std::nextafter(62.5f, 0.0f), 64, 62},
        {0.0f, 1, 0},
        {0.0f, 0, kOutside},
        {0.0f, -3, kOutside},
        {std::numeric_limits<float>::quiet_NaN(), 10, kOutside},
        {1e30f, 10, kOutside},
        {-1e30f, 10, kOutside},
        {inf, 10, kOutside},
        {-inf, 10, kOutside},
        {2147483520.0f, 2147483647, 2147483520},
        {2147483648.0f, 2147483647, kOutside},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(nearestCellIndex(c.value, c.size), c.expected)
            << "value " << c.value << " (bits of nextafter matter) in size " << c.size;
    }
}

// The production scan decides the cell with float comparisons only: in range when
// v >= -0.5f && v < cellRangeEnd(size), then cellInRange(v). Sizes beyond 2^23 make size - 0.5
// unrepresentable and leave no fraction in the floats near the end.
TEST(NearestCell, FloatLookupAgreesWithTheDoubleSum) {
    const std::int32_t sizes[] = {1, 2, 3, 10, 64, 255, (1 << 22) - 1, 1 << 22, 1 << 23, (1 << 23) + 1,
                                  (1 << 24) + 1, (1 << 24) + 3, 1 << 27, 2147483647};
    const std::uint64_t seed = 7;
    SCOPED_TRACE(::testing::Message() << "random seed " << seed);
    studygen::Random random(seed);
    for (const std::int32_t size : sizes) {
        std::vector<float> values = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                                     -std::numeric_limits<float>::infinity(), 1e30f, -1e30f, -0.0f};
        // Both sides of every half-cell boundary and cell centre near the ends of the range.
        const double centres[] = {0.0, 1.0, 2.0, size / 2.0, size - 2.0, size - 1.0, static_cast<double>(size)};
        for (const double centre : centres) {
            for (const double edge : {centre - 0.5, centre, centre + 0.5}) {
                const float near = static_cast<float>(edge);
                float below = near;
                float above = near;
                for (int step = 0; step < 3; ++step) {
                    values.push_back(below);
                    values.push_back(above);
                    below = std::nextafter(below, -std::numeric_limits<float>::infinity());
                    above = std::nextafter(above, std::numeric_limits<float>::infinity());
                }
            }
        }
        for (int n = 0; n < 2000; ++n) values.push_back(static_cast<float>(random.uniform(-2.0, size + 2.0)));

        const float end = cellRangeEnd(size);
        for (const float v : values) {
            const std::int32_t expected = nearestCellIndex(v, size);
            const bool inRange = v >= -0.5f && v < end;
            ASSERT_EQ(inRange, expected >= 0) << "value " << v << " in size " << size << ", range end " << end;
            if (inRange) {
                EXPECT_EQ(cellInRange(v), expected) << "value " << v << " in size " << size;
            }
        }
    }
}

TEST(VolumeGrid, SampleNearestReadsTheCellOrZeroOutside) {
    VolumeGrid grid(4, 3, 2);
    ASSERT_EQ(grid.cellCount(), 24u);
    for (std::size_t n = 0; n < grid.cellCount(); ++n) grid.data()[n] = static_cast<float>(n + 1);
    // x fastest, then y, then z.
    EXPECT_EQ(grid.get(3, 0, 0), 4.0f);
    EXPECT_EQ(grid.get(0, 1, 0), 5.0f);
    EXPECT_EQ(grid.get(0, 0, 1), 13.0f);
    EXPECT_EQ(grid.sampleNearest(2.9f, 1.2f, 0.6f), grid.get(3, 1, 1));
    EXPECT_EQ(grid.sampleNearest(-0.5f, -0.5f, -0.5f), 1.0f);
    EXPECT_EQ(grid.sampleNearest(3.49f, 2.49f, 1.49f), 24.0f);
    EXPECT_EQ(grid.sampleNearest(3.5f, 0.0f, 0.0f), 0.0f);
    EXPECT_EQ(grid.sampleNearest(0.0f, 2.5f, 0.0f), 0.0f);
    EXPECT_EQ(grid.sampleNearest(0.0f, 0.0f, 1.5f), 0.0f);
    EXPECT_EQ(grid.sampleNearest(0.0f, std::numeric_limits<float>::quiet_NaN(), 0.0f), 0.0f);

    grid.fill(0.25f);
    grid.set(1, 2, 1, 1.0f);
    EXPECT_EQ(grid.sampleNearest(1.0f, 2.0f, 1.0f), 1.0f);
    EXPECT_EQ(grid.sampleNearest(0.0f, 0.0f, 0.0f), 0.25f);
    EXPECT_TRUE(grid.contains(3, 2, 1));
    EXPECT_FALSE(grid.contains(4, 0, 0));
    EXPECT_FALSE(grid.contains(0, -1, 0));
    EXPECT_FALSE(grid.contains(0, 0, 2));
}

}  // namespace
}  // namespace zandrel
