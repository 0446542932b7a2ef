#include "voi/grid_tables.h"

#include "geometry/point4.h"

namespace zandrel {

GridToFunctionalTables::GridToFunctionalTables(const ScanSetup& setup, const std::array<std::int32_t, 3>& dims)
    : setup_(setup), dims_(dims), centre_{{setup.cx, setup.cy, setup.cz}} {
    // The centred coordinates of (n, n, n) are those of every point whose index on that
    // axis is n.
    for (std::int32_t n = 0; n < kAnatomicalGridSize; ++n) {
        const Point4 p = centredGridPoint(setup, n, n, n);
        const auto at = static_cast<std::size_t>(n);
        centred_[0][at] = p.x;
        centred_[1][at] = p.y;
        centred_[2][at] = p.z;
    }
    for (std::size_t r = 0; r < 3; ++r) {
        const int row = static_cast<int>(r);
        for (std::size_t a = 0; a < 3; ++a) {
            const float element = setup.gridToFunctional.at(row, static_cast<int>(a));
            for (std::size_t n = 0; n < kAnatomicalGridSize; ++n) terms_[r][a][n] = element * centred_[a][n];
        }
        lastColumn_[r] = setup.gridToFunctional.at(row, 3) * 1.0f;  // the product with w = 1
    }
    for (std::size_t r = 0; r < 3; ++r) cellEnd_[r] = cellRangeEnd(dims[r]);
    firstAxisAscending_ = true;
    firstAxisEven_ = true;
    for (std::size_t n = 0; n < kAnatomicalGridSize; ++n) {
        if (n > 0) firstAxisAscending_ = firstAxisAscending_ && centred_[0][n] >= centred_[0][n - 1];  // NaN: false
        firstAxisEven_ = firstAxisEven_ && centred_[0][n] == static_cast<float>(n) - 127.5f;
    }
}

GridToFunctionalTables::GridToFunctionalTables(const SetChain& chain, const FmrHeader& fmr)
    : GridToFunctionalTables(scanSetupOf(chain, fmr),
                             {{fmr.ResolutionX.value, fmr.ResolutionY.value, fmr.NrOfSlices.value}}) {}

}  // namespace zandrel
