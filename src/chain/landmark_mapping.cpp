#include "chain/landmark_mapping.h"

#include <cstdint>

namespace zandrel {

namespace {

// Atlas extents of the Talairach grid, in grid units: from AC (at 128) forwards,
// AC to PC (at 151), from PC backwards, above and below AC, and to each side.
constexpr float kAnterior = 70.0f;
constexpr float kAcToPc = 23.0f;
constexpr float kPosterior = 79.0f;
constexpr float kSuperior = 74.0f;
constexpr float kInferior = 42.0f;
constexpr float kLateral = 68.0f;
constexpr float kAc = 128.0f;
constexpr float kPc = 151.0f;

// One linear segment: slope first, then times the offset, then plus the base.
inline float segment(float difference, float extent, float offset, float base) {
    const float slope = difference / extent;
    const float scaled = slope * offset;
    return scaled + base;
}

}  // namespace

void mapTalairachToAcpc(const Landmarks& landmarks, Point4& point) {
    const Landmark& pc = landmarks[landmark::PC];
    const Landmark& ap = landmarks[landmark::AP];
    const Landmark& pp = landmarks[landmark::PP];
    const Landmark& sp = landmarks[landmark::SP];
    const Landmark& ip = landmarks[landmark::IP];
    const Landmark& rp = landmarks[landmark::RP];
    const Landmark& lp = landmarks[landmark::LP];
    float& x = point.x;
    float& y = point.y;
    float& z = point.z;

    if (x < kAc) {
        x = segment(static_cast<float>(ap.x) - kAc, -kAnterior, x - kAc, kAc);
    } else if (x < kPc) {
        x = segment(static_cast<float>(pc.x) - kAc, kAcToPc, x - kAc, kAc);
    } else {
        // PP.x - PC.x is an integer difference; taken in 64 bits so that no landmark
        // pair can overflow it.
        const std::int64_t span = static_cast<std::int64_t>(pp.x) - static_cast<std::int64_t>(pc.x);
        x = segment(static_cast<float>(span), kPosterior, x - kPc, static_cast<float>(pc.x));
    }

    if (y < kAc) {
        y = segment(static_cast<float>(sp.y) - kAc, -kSuperior, y - kAc, kAc);
    } else {
        y = segment(static_cast<float>(ip.y) - kAc, kInferior, y - kAc, kAc);
    }

    if (z < kAc) {
        z = segment(static_cast<float>(rp.z) - kAc, -kLateral, z - kAc, kAc);
    } else {
        z = segment(static_cast<float>(lp.z) - kAc, kLateral, z - kAc, kAc);
    }
}

TalairachToAcpc talairachToAcpcOf(const TalRecord& tal) {
    TalairachToAcpc mapping;
    mapping.applies = tal.FileVersion.value > 0;
    mapping.landmarks = tal.landmarks;
    return mapping;
}

// Declared with the point type, which knows no file record; defined here with the mapping.
void Point4::mapTalairachToAcpc(const TalRecord& tal) { zandrel::mapTalairachToAcpc(tal.landmarks, *this); }

}  // namespace zandrel
