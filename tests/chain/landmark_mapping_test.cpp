#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "formats/tal_record.h"
#include "geometry/point4.h"

namespace zandrel {
namespace {

TalRecord talWith(int pcX, int apX, int ppX, int spY, int ipY, int rpZ, int lpZ) {
    TalRecord tal;
    tal.FileVersion.value = 1;
    tal.landmarks[landmark::PC].x = pcX;
    tal.landmarks[landmark::AP].x = apX;
    tal.landmarks[landmark::PP].x = ppX;
    tal.landmarks[landmark::SP].y = spY;
    tal.landmarks[landmark::IP].y = ipY;
    tal.landmarks[landmark::RP].z = rpZ;
    tal.landmarks[landmark::LP].z = lpZ;
    return tal;
}

Point4 mapped(const TalRecord& tal, float x, float y, float z) {
    Point4 p{x, y, z, 0.25f};
    p.mapTalairachToAcpc(tal);
    EXPECT_EQ(p.w, 0.25f);
    return p;
}

// Brains of different sizes; the first has the atlas's own landmarks.
const TalRecord kBrains[] = {
    talWith(151, 58, 230, 54, 170, 60, 196),
    talWith(157, 61, 239, 49, 175, 63, 193),
    talWith(146, 66, 221, 60, 163, 57, 201),
};

TEST(LandmarkMapping, AtlasLandmarksMapEveryGridPointOntoItselfExactly) {
    for (int i = 0; i < 256; ++i) {
        const float v = static_cast<float>(i);
        const Point4 p = mapped(kBrains[0], v, v, v);
        ASSERT_TRUE(p.x == v && p.y == v && p.z == v) << "grid point " << i;
    }
}

// The atlas bounds land on the landmarks; the segment borders are continuous, and 150.9
// stays just below PC.x.
TEST(LandmarkMapping, BoundsAndBordersLandOnTheLandmarks) {
    for (const TalRecord& tal : kBrains) {
        const auto& l = tal.landmarks;
        const float pcX = float(l[landmark::PC].x);
        const std::string brain = "PC.x " + std::to_string(l[landmark::PC].x);
        EXPECT_FLOAT_EQ(mapped(tal, 58, 128, 128).x, float(l[landmark::AP].x)) << brain;
        EXPECT_FLOAT_EQ(mapped(tal, 230, 128, 128).x, float(l[landmark::PP].x)) << brain;
        EXPECT_FLOAT_EQ(mapped(tal, 128, 54, 128).y, float(l[landmark::SP].y)) << brain;
        EXPECT_FLOAT_EQ(mapped(tal, 128, 170, 128).y, float(l[landmark::IP].y)) << brain;
        EXPECT_FLOAT_EQ(mapped(tal, 128, 128, 60).z, float(l[landmark::RP].z)) << brain;
        EXPECT_FLOAT_EQ(mapped(tal, 128, 128, 196).z, float(l[landmark::LP].z)) << brain;

        const Point4 ac = mapped(tal, 128, 128, 128);
        EXPECT_TRUE(ac.x == 128.0f && ac.y == 128.0f && ac.z == 128.0f) << brain;
        EXPECT_EQ(mapped(tal, 151, 128, 128).x, pcX) << brain;
        const float below = std::nextafter(128.0f, 0.0f);
        const Point4 justBelow = mapped(tal, below, below, below);
        EXPECT_NEAR(justBelow.x, 128.0f, 1e-4f) << brain;
        EXPECT_NEAR(justBelow.y, 128.0f, 1e-4f) << brain;
        EXPECT_NEAR(justBelow.z, 128.0f, 1e-4f) << brain;
        const float beforePc = mapped(tal, 150.9f, 128, 128).x;
        EXPECT_LT(beforePc, pcX) << brain;
        EXPECT_GT(beforePc, pcX - 0.2f) << brain;
    }
}

// Landmarks from a file without landmark lines (all 0) or a hostile one: the mapping
// still runs, the integer difference PP.x - PC.x cannot overflow, the values stay finite.
TEST(LandmarkMapping, ZeroAndExtremeLandmarksGiveFiniteValues) {
    const Point4 zeros = mapped(talWith(0, 0, 0, 0, 0, 0, 0), 200.0f, 20.0f, 240.0f);
    EXPECT_EQ(zeros.x, 0.0f);
    EXPECT_FLOAT_EQ(zeros.y, 128.0f - (128.0f / 74.0f) * 108.0f);
    EXPECT_FLOAT_EQ(zeros.z, 128.0f - (128.0f / 68.0f) * 112.0f);

    const std::int32_t lo = std::numeric_limits<std::int32_t>::min();
    const std::int32_t hi = std::numeric_limits<std::int32_t>::max();
    const Point4 p = mapped(talWith(lo, hi, hi, lo, hi, lo, hi), 240.0f, 10.0f, 250.0f);
    EXPECT_TRUE(std::isfinite(p.x) && p.x > 0.0f);
    EXPECT_TRUE(std::isfinite(p.y) && std::isfinite(p.z));
}

}  // namespace
}  // namespace zandrel
