#pragma once

#include <array>

#include "formats/tal_record.h"
#include "geometry/point4.h"

namespace zandrel {

using Landmarks = std::array<Landmark, landmark::Count>;

// Replaces x, y and z of `point`, a Talairach grid position, by the ACPC grid position
// that corresponds to it, piecewise linearly between `landmarks`; w is untouched. Hot
// path: allocates nothing, throws nothing, at most two comparisons per axis.
void mapTalairachToAcpc(const Landmarks& landmarks, Point4& point);

// The landmark step of one set's chain, as a plain value: whether it applies (the TAL
// record's FileVersion is above 0) and the landmarks it maps with.
struct TalairachToAcpc {
    bool applies = false;
    Landmarks landmarks{};

    void map(Point4& point) const { mapTalairachToAcpc(landmarks, point); }
};

TalairachToAcpc talairachToAcpcOf(const TalRecord& tal);

}  // namespace zandrel
