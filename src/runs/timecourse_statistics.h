#pragma once
// Per-volume statistics of one VOI, fed sample by sample while the data streams past.

#include <cmath>
#include <cstddef>
#include <vector>

#include "runs/timecourse_extract.h"

namespace zandrel {

// What the statistics asked for need to keep.
struct StatisticNeeds {
    bool sums = false;      // mean
    bool extremes = false;  // min, max
    bool samples = false;   // std, median, eigen: every cell's sample of every volume
    bool weighted = false;

    static StatisticNeeds of(const ExtractOptions& options);
    // Bytes of state for one VOI of `cells` cells over `volumes` volumes (in double:
    // the product can exceed 64 bits for absurd headers).
    double stateBytes(double cells, double volumes) const;
};

// The state of one VOI. Cells are numbered 0 .. cells - 1; sums run in the order the
// samples are added, which the caller keeps ascending by cell for every volume.
class RegionStatistics {
public:
    // `weights`: the occupancy of every cell, used only when needs.weighted.
    RegionStatistics(const StatisticNeeds& needs, std::vector<double> weights, std::size_t volumes);

    // Adds sample `value` of `cell` in `volume`. Neither throws nor allocates.
    void add(std::size_t cell, std::size_t volume, float value) {
        const double x = value;
        if (needs_.sums) {
            sum_[volume] += x;
            if (needs_.weighted) weightedSum_[volume] += weights_[cell] * x;
        }
        if (needs_.extremes) {
            // A NaN, once taken, stays: no comparison with it is true.
            if (std::isnan(x) || x < min_[volume]) min_[volume] = x;
            if (std::isnan(x) || x > max_[volume]) max_[volume] = x;
        }
        if (needs_.samples) samples_[cell * volumes_ + volume] = value;
    }

    // The series of `statistic` over every volume (it must be among those asked for).
    std::vector<double> finish(TimeStatistic statistic) const;

private:
    std::vector<double> meanSeries() const;
    std::vector<double> stdSeries() const;
    std::vector<double> medianSeries() const;

    StatisticNeeds needs_;
    std::vector<double> weights_;
    std::size_t cells_;
    std::size_t volumes_;
    std::vector<double> sum_, weightedSum_, min_, max_;
    std::vector<float> samples_;  // cell after cell: sample t of cell c at c * volumes + t
};

}  // namespace zandrel
