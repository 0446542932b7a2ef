#include <cstdint>

#include "formats/tal_record.h"
#include "geometry/point4.h"

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

// Hot path (every grid point of a Talairach set): no allocation, no throw, two
// comparisons at most per axis.
void Point4::mapTalairachToAcpc(const TalRecord& tal) {
    const Landmark& pc = tal.landmarks[landmark::PC];
    const Landmark& ap = tal.landmarks[landmark::AP];
    const Landmark& pp = tal.landmarks[landmark::PP];
    const Landmark& sp = tal.landmarks[landmark::SP];
    const Landmark& ip = tal.landmarks[landmark::IP];
    const Landmark& rp = tal.landmarks[landmark::RP];
    const Landmark& lp = tal.landmarks[landmark::LP];

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

}  // namespace zandrel
