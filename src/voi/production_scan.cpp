// The traversal of the production scan: which anatomical grid points are candidates for
// one mask, row by row, and the triples of the kept ones. The row kernel decides which
// candidates are kept.
#include "voi/production_scan.h"

#include <algorithm>

#include "voi/row_kernel.h"

namespace zandrel {

namespace {

// Indices n of the first axis with low <= centred[n] <= high, when centred[n] = n - 127.5f:
// first to end (exclusive). The double sums may round, but only towards a wider range: the
// rounding is monotone and the bounds are integers. rowRange keeps low and high within
// [-127.5, 127.5].
void evenRange(double low, double high, std::int32_t& first, std::int32_t& end) {
    const double from = std::max(low + 127.5, 0.0);
    const double to = std::min(high + 127.5, 255.0);
    first = static_cast<std::int32_t>(from);
    first += static_cast<double>(first) < from ? 1 : 0;
    end = static_cast<std::int32_t>(to) + 1;
}

// The same for any ascending table: found by stepping from the previous row's answers, which
// neighbouring rows move by a step or two.
void followRange(const std::array<float, kAnatomicalGridSize>& ascending, double low, double high, std::int32_t& first,
                 std::int32_t& end) {
    const auto at = [&ascending](std::int32_t n) { return static_cast<double>(ascending[static_cast<std::size_t>(n)]); };
    while (first > 0 && at(first - 1) >= low) --first;
    while (first < kAnatomicalGridSize && at(first) < low) ++first;
    while (end < kAnatomicalGridSize && at(end) <= high) ++end;
    while (end > 0 && at(end - 1) > high) --end;
}

}  // namespace

ProductionScan::ProductionScan(const GridToFunctionalTables& tables, ScanLanes lanes)
    : tables_(tables), lanes_(lanes), bounds_(tables_.setup(), tables_.centred()) {
    for (std::size_t n = 0; n < kAnatomicalGridSize; ++n) everyIndex_[n] = static_cast<std::uint8_t>(n);
}

void ProductionScan::scan(const VolumeGrid& mask, const CellBox& box, std::vector<VoxelTriple>& voxels) {
    bounds_.reset(mask, box);
    collectKept(mask);
    if (tables_.setup().talairachForm) appendKept<true>(voxels);
    else appendKept<false>(voxels);
}

// Every anatomical grid row (j, k) of the current bounds with candidates, in scan order:
// the kernel is set to the row, then row(kernel, candidates, fromI, count, j, k) decides,
// where candidates[n] are the first-axis indices and fromI[r][n] their products.
template <typename Row>
void ProductionScan::forEachRow(RowKernel& kernel, Row&& row) {
    const ScanBounds::Centred& centred = tables_.centred();
    const bool firstAxisEven = tables_.firstAxisEven();
    const bool firstAxisAscending = tables_.firstAxisAscending();
    std::array<float, 3> fromJ{};
    std::array<float, 3> fromK{};
    std::int32_t first = 0;
    std::int32_t end = 0;
    for (const std::uint8_t k : bounds_.indices(2)) {
        ScanBounds::Plane plane;
        if (!bounds_.plane(centred[2][k], plane)) continue;
        for (std::size_t r = 0; r < 3; ++r) fromK[r] = tables_.terms(static_cast<int>(r), 2)[k];
        for (const std::uint8_t j : bounds_.indices(1)) {
            double low = 0.0;
            double high = 0.0;
            if (!bounds_.rowRange(centred[1][j], plane, low, high)) continue;
            const std::uint8_t* candidates = listed_.data();
            const float* fromI[3] = {listedProduct_[0].data(), listedProduct_[1].data(), listedProduct_[2].data()};
            std::int32_t count = 0;
            if (firstAxisEven || firstAxisAscending) {
                if (firstAxisEven) evenRange(low, high, first, end);
                else followRange(centred[0], low, high, first, end);
                count = end - first;
                candidates = everyIndex_.data() + first;
                for (std::size_t r = 0; r < 3; ++r) fromI[r] = tables_.terms(static_cast<int>(r), 0).data() + first;
            } else {
                // The first axis folds back on itself: its candidates are listed one by one, in order.
                for (const std::uint8_t i : bounds_.indices(0)) {
                    const double u = centred[0][i];
                    if (!(u >= low && u <= high)) continue;
                    const auto n = static_cast<std::size_t>(count++);
                    listed_[n] = i;
                    for (std::size_t r = 0; r < 3; ++r) listedProduct_[r][n] = tables_.terms(static_cast<int>(r), 0)[i];
                }
            }
            if (count <= 0) continue;
            for (std::size_t r = 0; r < 3; ++r) fromJ[r] = tables_.terms(static_cast<int>(r), 1)[j];
            kernel.setRow(fromJ, fromK);
            row(kernel, candidates, fromI, count, j, k);
        }
    }
}

// The kept points' first-axis indices, row by row, in keptIndices_ and keptRows_.
void ProductionScan::collectKept(const VolumeGrid& mask) {
    RowKernel kernel(tables_.lastColumn(), tables_.centre(), mask, lanes_);
    keptRows_.clear();
    keptCount_ = 0;
    forEachRow(kernel, [&](const RowKernel& rowKernel, const std::uint8_t* candidates, const float* const* fromI,
                           std::int32_t count, std::uint8_t j, std::uint8_t k) {
        const std::size_t room = keptCount_ + static_cast<std::size_t>(count) + kPadding;
        if (keptIndices_.size() < room) keptIndices_.resize(std::max(room, 2 * keptIndices_.size()));
        std::uint8_t* const keptIndices = keptIndices_.data() + keptCount_;
        const std::int32_t kept =
            candidates == listed_.data()
                ? rowKernel.keep<false>(candidates, fromI[0], fromI[1], fromI[2], count, keptIndices)
                : rowKernel.keep<true>(candidates, fromI[0], fromI[1], fromI[2], count, keptIndices);
        if (kept == 0) return;
        keptRows_.push_back(KeptRow{j, k, static_cast<std::uint16_t>(kept)});
        keptCount_ += static_cast<std::size_t>(kept);
    });
}

void ProductionScan::countKept(const VolumeGrid& mask, const CellBox& box, std::uint32_t* counts) {
    bounds_.reset(mask, box);
    RowKernel kernel(tables_.lastColumn(), tables_.centre(), mask, lanes_);
    const std::size_t first = mask.indexOf(box.min[0], box.min[1], box.min[2]);
    forEachRow(kernel, [counts, first](const RowKernel& rowKernel, const std::uint8_t*, const float* const* fromI,
                                       std::int32_t count, std::uint8_t, std::uint8_t) {
        rowKernel.count(fromI[0], fromI[1], fromI[2], count, counts, first);
    });
}

// Triples of the collected points; the voxel list grows once per plot.
template <bool talairachForm>
void ProductionScan::appendKept(std::vector<VoxelTriple>& voxels) const {
    const std::size_t used = voxels.size();
    // Groups of four may write three triples past a row's end: the next row overwrites them,
    // and the list is cut to size at the end.
    voxels.resize(used + keptCount_ + kPadding);
    VoxelTriple* out = voxels.data() + used;
    const std::uint8_t* is = keptIndices_.data();
    for (const KeptRow& row : keptRows_) {
        std::size_t n = 0;
#ifdef ZANDREL_SCAN_SSE2
        if (lanes_ == ScanLanes::four) {
            const FourTriples<talairachForm> triples(row.j, row.k);
            for (; n < row.count; n += 4) triples.write(is + n, out + n);
        }
#endif
        for (; n < row.count; ++n) out[n] = formTriple<talairachForm>(is[n], row.j, row.k);
        is += row.count;
        out += row.count;
    }
    voxels.resize(used + keptCount_);
}

}  // namespace zandrel
