#pragma once

// The grid scans behind the VOI builder: the set-up, the straightforward reference scan and
// the bounds of the production scan (production_scan.h), which evaluates the same float
// expression on fewer anatomical grid points.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "chain/landmark_mapping.h"
#include "chain/set_chain.h"
#include "formats/fmr_header.h"
#include "geometry/matrix4.h"
#include "geometry/point4.h"
#include "geometry/volume_grid.h"
#include "geometry/voxel_triple.h"

namespace zandrel {

constexpr int kAnatomicalGridSize = 256;  // points per axis of the anatomical grid

// Everything a scan needs besides the mask, fixed for one set.
struct ScanSetup {
    Matrix4 gridToFunctional;         // centred anatomical grid position -> centred functional position
    float cx = 0.0f;                  // functional grid centre, (dim - 1) * 0.5f
    float cy = 0.0f;
    float cz = 0.0f;
    TalairachToAcpc talairachToAcpc;  // applied before centring when it applies
    bool talairachForm = false;       // triples (128 - k, 128 - i, 128 - j)
};

// The setup of one set's scans: its chain, centred on the functional grid of `fmr`.
ScanSetup scanSetupOf(const SetChain& chain, const FmrHeader& fmr);

// The triple written for kept anatomical grid point (i, j, k).
template <bool talairachForm>
inline VoxelTriple formTriple(std::int32_t i, std::int32_t j, std::int32_t k) {
    return talairachForm ? VoxelTriple{128 - k, 128 - i, 128 - j} : VoxelTriple{i, j, k};
}
inline VoxelTriple keptTriple(const ScanSetup& setup, std::int32_t i, std::int32_t j, std::int32_t k) {
    return setup.talairachForm ? formTriple<true>(i, j, k) : formTriple<false>(i, j, k);
}

// Anatomical grid point (i, j, k) after the landmark mapping (when it applies) and centring
// by 127.5 on each axis, each float operation in this order.
inline Point4 centredGridPoint(const ScanSetup& setup, std::int32_t i, std::int32_t j, std::int32_t k) {
    Point4 p;
    p.x = static_cast<float>(i);
    p.y = static_cast<float>(j);
    p.z = static_cast<float>(k);
    p.w = 1.0f;
    if (setup.talairachToAcpc.applies) setup.talairachToAcpc.map(p);
    p.x = p.x - 127.5f;
    p.y = p.y - 127.5f;
    p.z = p.z - 127.5f;
    return p;
}

// The functional position (column, row, slice) that anatomical grid point (i, j, k) maps to:
// the centred point through the chain, plus the functional grid's centre. Every scan and
// every picture of a mapping goes through here.
inline void functionalPositionOf(const ScanSetup& setup, std::int32_t i, std::int32_t j, std::int32_t k,
                                 float& x, float& y, float& z) {
    const Point4 p = centredGridPoint(setup, i, j, k);
    Point4 q;
    setup.gridToFunctional.transform(p, q);
    x = q.x + setup.cx;
    y = q.y + setup.cy;
    z = q.z + setup.cz;
}

// Inclusive bounds of the marked cells of one mask, per axis (x, y, z).
struct CellBox {
    std::array<std::int32_t, 3> min{};
    std::array<std::int32_t, 3> max{};
};

// Every one of the 256^3 anatomical grid points, k outermost, then j, then i; appends the points
// whose functional position samples a mask value above 0.5.
void scanReference(const ScanSetup& setup, const VolumeGrid& mask, std::vector<VoxelTriple>& voxels);

// The floats that lie in cell range [0, size) along one axis: v >= -0.5f && v < the value
// returned here, the smallest float not below size - 0.5 (size - 0.5 itself while that is
// representable). Both comparisons are then exact, so they agree with nearestCellIndex.
float cellRangeEnd(std::int32_t size);

// Nearest cell of a float already known to lie in cell range [0, size): the same index as
// nearestCellIndex, from float operations only. The truncation gives t = 0 for v in
// [-0.5, 1), and t <= v < t + 1 otherwise; v - t is exact (t = 0, or t and v share a
// binade, or v is an integer), so comparing it with 0.5f decides exactly whether v lies
// in [t + 0.5, t + 1).
inline std::int32_t cellInRange(float v) {
    const std::int32_t t = static_cast<std::int32_t>(v);
    return t + (v - static_cast<float>(t) >= 0.5f ? 1 : 0);
}

// Which anatomical grid points can reach the marked cells of a mask: per-axis index lists (the
// bounding box of the preimage of the cells' box) and, per anatomical grid row (j, k), an interval of
// the centred first coordinate. Both are supersets of the kept points. What depends on the
// chain only is prepared once per set; `reset` takes one mask.
class ScanBounds {
public:
    using Centred = std::array<std::array<float, kAnatomicalGridSize>, 3>;

    ScanBounds(const ScanSetup& setup, const Centred& centred);

    // Bounds for the points that can reach the marked cells of `mask`, all of which lie in
    // `box`; replaces those of the previous mask.
    void reset(const VolumeGrid& mask, const CellBox& box);

    // Anatomical grid indices per axis (i, j, k), ascending.
    const std::vector<std::uint8_t>& indices(int axis) const { return indices_[static_cast<std::size_t>(axis)]; }

    // What the rows of one anatomical grid slice k share: per functional axis r, the interval of the
    // centred first coordinate ux that can reach the slice's marked cells, for the row with
    // centred second coordinate uy, is [lowAt + perY * uy, highAt + perY * uy] (perY is the
    // axis' own, fixed for the set).
    struct Plane {
        std::array<double, 3> lowAt{};
        std::array<double, 3> highAt{};
    };
    // The plane of the anatomical grid slice with centred third coordinate uz; false when no point of
    // the slice can reach a marked cell.
    bool plane(float uz, Plane& plane) const;

    // Interval [low, high] of the centred first coordinate for the row with centred second
    // coordinate uy in `plane`; false when the row can reach no marked cell.
    bool rowRange(float uy, const Plane& plane, double& low, double& high) const {
        // Only finite first coordinates can give a kept point.
        low = lowestFirst_;
        high = highestFirst_;
        for (std::size_t r = 0; r < 3; ++r) {
            const double shift = slabs_[r].perY * static_cast<double>(uy);
            low = std::max(low, plane.lowAt[r] + shift);
            high = std::min(high, plane.highAt[r] + shift);
        }
        return low <= high;
    }

private:
    // One functional axis r: for every kept point the exact position a[0]*ux + offset, with
    // offset = a[1]*uy + a[2]*uz + chain(r, 3) + centre, lies within `widening` of the centre
    // of its cell.
    struct Slab {
        bool divides = false;  // false when a[0] is too small to divide by: ux is not bounded
        double a[3] = {0.0, 0.0, 0.0};
        double inverse = 0.0;  // 1 / a[0]
        double perY = 0.0;     // -a[1] / a[0]: how a row's ux bounds move with uy
        double widening = 0.0;
        double shift = 0.0;        // chain(r, 3) + centre
        double offsetError = 0.0;  // bound of the double rounding of a[0]*ux + offset
        double largestOffset = 0.0;
        double slack = 0.0;        // for ux bounds computed from this axis, for the current box
    };
    // Bounding box, along x and y, of the marked cells of one slice of the box.
    struct SliceBox {
        std::array<std::int32_t, 2> first{std::numeric_limits<std::int32_t>::max(),
                                          std::numeric_limits<std::int32_t>::max()};  // first > last: none
        std::array<std::int32_t, 2> last{std::numeric_limits<std::int32_t>::min(),
                                         std::numeric_limits<std::int32_t>::min()};
    };
    using Matrix3 = std::array<std::array<double, 3>, 3>;

    void takeEveryIndex();
    void takeSliceBoxes(const VolumeGrid& mask);
    void takeIndexRanges();

    const Centred& centred_;
    std::array<double, 3> largest_{};  // largest finite magnitude of each centred coordinate
    double lowestFirst_ = HUGE_VAL;    // range of the finite centred first coordinates
    double highestFirst_ = -HUGE_VAL;
    std::array<Slab, 3> slabs_;
    Matrix3 inverse_{};
    bool invertible_ = false;
    bool bounded_ = false;  // the box and its slabs are finite
    CellBox box_;
    std::vector<SliceBox> sliceBoxes_;  // per slice of the box
    // Range of the finite centred values of the indices of the first and second axes.
    std::array<double, 2> indexLow_{};
    std::array<double, 2> indexHigh_{};
    std::array<std::vector<std::uint8_t>, 3> indices_;
};

// How many candidates the production scan tests at a time: four where the processor has the
// vector instructions for it (and the grid at most 2^24 cells), or one (the portable way,
// which tests check on every machine).
enum class ScanLanes { four, one };

}  // namespace zandrel
