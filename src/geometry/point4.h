#pragma once

namespace zandrel {

struct TalRecord;

// A homogeneous point of four floats; positions have w = 1.
struct Point4 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;

    // Replaces x, y and z by the ACPC grid position that corresponds to this Talairach
    // grid position, using the landmarks of `tal`; w is untouched. Allocates nothing.
    // Defined with the landmark mapping (landmark_mapping.cpp).
    void mapTalairachToAcpc(const TalRecord& tal);
};

}  // namespace zandrel
