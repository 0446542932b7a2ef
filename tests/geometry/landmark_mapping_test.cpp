#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "formats/tal_record.h"
#include "geometry/point4.h"

namespace zandrel {
namespace {

TalRecord talWith(int pcX, int apX, int ppX, int spY, int ipY, int rpZ, int lpZ) {
    TalRecord tal;
    tal.FileVersion.value = 1;
    tal.landmarks[landmark::AC] = {128, 128, 128};
    tal.landmarks[landmark::PC] = {pcX, 128, 128};
    tal.landmarks[landmark::AP] = {apX, 128, 128};
    tal.landmarks[landmark::PP] = {ppX, 128, 128};
    tal.landmarks[landmark::SP] = {128, spY, 128};
    tal.landmarks[landmark::IP] = {128, ipY, 128};
    tal.landmarks[landmark::RP] = {128, 128, rpZ};
    tal.landmarks[landmark::LP] = {128, 128, lpZ};
    return tal;
}

Point4 mapped(const TalRecord& tal, float x, float y, float z) {
    Point4 p{x, y, z, 1.0f};
    p.mapTalairachToAcpc(tal);
    return p;
}

// Landmark sets of differently sized brains, including one that matches the atlas.
const TalRecord kBrains[] = {
    talWith(151, 58, 230, 54, 170, 60, 196),   // the atlas itself
    talWith(157, 61, 239, 49, 175, 63, 193),
    talWith(146, 66, 221, 60, 163, 57, 201),
    talWith(160, 50, 250, 40, 182, 52, 204),
};

// The atlas landmarks make the mapping the identity, exactly, on every integer grid point.
TEST(LandmarkMapping, AtlasLandmarksMapEveryGridPointOntoItself) {
    const TalRecord& atlas = kBrains[0];
    for (int i = 0; i < 256; ++i) {
        const float v = static_cast<float>(i);
        const Point4 p = mapped(atlas, v, v, v);
        ASSERT_EQ(p.x, v) << "x = " << i;
        ASSERT_EQ(p.y, v) << "y = " << i;
        ASSERT_EQ(p.z, v) << "z = " << i;
    }
}

TEST(LandmarkMapping, AtlasBoundsMapOntoTheLandmarks) {
    for (const TalRecord& tal : kBrains) {
        const auto& l = tal.landmarks;
        const std::string brain = "PC.x " + std::to_string(l[landmark::PC].x);
        EXPECT_FLOAT_EQ(mapped(tal, 58, 128, 128).x, float(l[landmark::AP].x)) << brain;
        EXPECT_FLOAT_EQ(mapped(tal, 230, 128, 128).x, float(l[landmark::PP].x)) << brain;
        EXPECT_FLOAT_EQ(mapped(tal, 128, 54, 128).y, float(l[landmark::SP].y)) << brain;
        EXPECT_FLOAT_EQ(mapped(tal, 128, 170, 128).y, float(l[landmark::IP].y)) << brain;
        EXPECT_FLOAT_EQ(mapped(tal, 128, 128, 60).z, float(l[landmark::RP].z)) << brain;
        EXPECT_FLOAT_EQ(mapped(tal, 128, 128, 196).z, float(l[landmark::LP].z)) << brain;
        EXPECT_EQ(mapped(tal, 151, 128, 128).x, float(l[landmark::PC].x)) << brain;
    }
}

// Continuity at the segment borders: the value at the border is the border's image
// exactly, and the last float below it maps within a rounding step of it.
TEST(LandmarkMapping, ContinuousAtEverySegmentBorder) {
    for (const TalRecord& tal : kBrains) {
        const float pcX = float(tal.landmarks[landmark::PC].x);
        const std::string brain = "PC.x " + std::to_string(tal.landmarks[landmark::PC].x);
        const Point4 atAc = mapped(tal, 128, 128, 128);
        EXPECT_EQ(atAc.x, 128.0f) << brain;
        EXPECT_EQ(atAc.y, 128.0f) << brain;
        EXPECT_EQ(atAc.z, 128.0f) << brain;

        const float belowAc = std::nextafter(128.0f, 0.0f);
        const Point4 justBelow = mapped(tal, belowAc, belowAc, belowAc);
        EXPECT_NEAR(justBelow.x, 128.0f, 1e-4f) << brain;
        EXPECT_NEAR(justBelow.y, 128.0f, 1e-4f) << brain;
        EXPECT_NEAR(justBelow.z, 128.0f, 1e-4f) << brain;

        EXPECT_NEAR(mapped(tal, std::nextafter(151.0f, 0.0f), 128, 128).x, pcX, 1e-4f) << brain;
    }
}

TEST(LandmarkMapping, JustBeforeThePosteriorCommissureStaysBelowIt) {
    for (const TalRecord& tal : kBrains) {
        const int pcX = tal.landmarks[landmark::PC].x;
        if (pcX <= 128) continue;
        const float x = mapped(tal, 150.9f, 128, 128).x;
        EXPECT_LT(x, float(pcX)) << "PC.x " << pcX;
        EXPECT_GT(x, float(pcX) - 0.2f) << "PC.x " << pcX;
    }
}

TEST(LandmarkMapping, EachAxisUsesOnlyItsOwnCoordinateAndWIsUntouched) {
    const TalRecord& tal = kBrains[1];
    const float reference = mapped(tal, 100.0f, 100.0f, 100.0f).x;
    EXPECT_EQ(mapped(tal, 100.0f, 200.0f, 10.0f).x, reference);
    Point4 p{100.0f, 100.0f, 100.0f, 0.25f};
    p.mapTalairachToAcpc(tal);
    EXPECT_EQ(p.w, 0.25f);
}

// A file without landmark lines leaves them all at 0: the mapping still runs, and the
// whole space collapses towards 0 on the far side of AC; the values stay finite.
TEST(LandmarkMapping, AllZeroLandmarksStillMapToFiniteValues) {
    TalRecord tal;
    tal.FileVersion.value = 1;
    const Point4 p = mapped(tal, 200.0f, 20.0f, 240.0f);
    EXPECT_FLOAT_EQ(p.x, 0.0f);
    EXPECT_FLOAT_EQ(p.y, 128.0f + (-128.0f / -74.0f) * (20.0f - 128.0f));
    EXPECT_FLOAT_EQ(p.z, 128.0f + (-128.0f / 68.0f) * 112.0f);
}

// Landmarks from a hostile file: the integer difference PP.x - PC.x cannot overflow.
TEST(LandmarkMapping, ExtremeLandmarksDoNotOverflow) {
    const std::int32_t lo = std::numeric_limits<std::int32_t>::min();
    const std::int32_t hi = std::numeric_limits<std::int32_t>::max();
    const TalRecord tal = talWith(lo, hi, hi, lo, hi, lo, hi);
    const Point4 p = mapped(tal, 240.0f, 10.0f, 250.0f);
    EXPECT_TRUE(std::isfinite(p.x));
    EXPECT_GT(p.x, 0.0f);
    EXPECT_TRUE(std::isfinite(p.y));
    EXPECT_TRUE(std::isfinite(p.z));
}

}  // namespace
}  // namespace zandrel
