#include "runs/timecourse_statistics.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "runs/timecourse_eigen.h"

namespace zandrel {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

StatisticNeeds StatisticNeeds::of(const ExtractOptions& options) {
    StatisticNeeds needs;
    for (const TimeStatistic statistic : options.statistics) {
        switch (statistic) {
            case TimeStatistic::Mean: needs.sums = true; break;
            case TimeStatistic::Min:
            case TimeStatistic::Max: needs.extremes = true; break;
            case TimeStatistic::Median:
            case TimeStatistic::Std:
            case TimeStatistic::Eigen: needs.samples = true; break;
        }
    }
    needs.weighted = needs.sums && options.weighted;
    return needs;
}

double StatisticNeeds::stateBytes(double cells, double volumes) const {
    double perVolume = 0.0;
    if (sums) perVolume += weighted ? 16.0 : 8.0;
    if (extremes) perVolume += 16.0;
    double bytes = perVolume * volumes + 8.0 * cells;
    if (samples) bytes += 4.0 * cells * volumes;
    return bytes;
}

RegionStatistics::RegionStatistics(const StatisticNeeds& needs, std::vector<double> weights, std::size_t volumes)
    : needs_(needs), weights_(std::move(weights)), cells_(weights_.size()), volumes_(volumes) {
    if (needs_.sums) sum_.assign(volumes_, 0.0);
    if (needs_.weighted) weightedSum_.assign(volumes_, 0.0);
    if (needs_.extremes) {
        min_.assign(volumes_, std::numeric_limits<double>::infinity());
        max_.assign(volumes_, -std::numeric_limits<double>::infinity());
    }
    if (needs_.samples) samples_.assign(cells_ * volumes_, 0.0f);
}

std::vector<double> RegionStatistics::meanSeries() const {
    std::vector<double> mean(volumes_);
    if (needs_.weighted) {
        double weightSum = 0.0;
        for (const double f : weights_) weightSum += f;
        for (std::size_t t = 0; t < volumes_; ++t) mean[t] = weightedSum_[t] / weightSum;
    } else {
        for (std::size_t t = 0; t < volumes_; ++t) mean[t] = sum_[t] / static_cast<double>(cells_);
    }
    return mean;
}

// Population standard deviation around the unweighted mean, in two passes over the cells
// in ascending order (the mean is the same sum as the mean statistic's).
std::vector<double> RegionStatistics::stdSeries() const {
    std::vector<double> result(volumes_);
    const double n = static_cast<double>(cells_);
    for (std::size_t t = 0; t < volumes_; ++t) {
        double sum = 0.0;
        for (std::size_t c = 0; c < cells_; ++c) sum += samples_[c * volumes_ + t];
        const double mean = sum / n;
        double squares = 0.0;
        for (std::size_t c = 0; c < cells_; ++c) {
            const double d = samples_[c * volumes_ + t] - mean;
            squares += d * d;
        }
        result[t] = std::sqrt(squares / n);
    }
    return result;
}

std::vector<double> RegionStatistics::medianSeries() const {
    std::vector<double> result(volumes_);
    std::vector<double> values(cells_);
    for (std::size_t t = 0; t < volumes_; ++t) {
        bool nan = false;
        for (std::size_t c = 0; c < cells_; ++c) {
            values[c] = samples_[c * volumes_ + t];
            nan = nan || std::isnan(values[c]);
        }
        if (nan) {
            result[t] = kNaN;
            continue;
        }
        const std::size_t mid = cells_ / 2;
        std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid), values.end());
        const double upper = values[mid];
        if (cells_ % 2 == 1) {
            result[t] = upper;
        } else {
            // After nth_element every value before `mid` is not above it: the lower middle
            // value is the largest of them.
            const double lower = *std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(mid));
            result[t] = (lower + upper) / 2.0;
        }
    }
    return result;
}

std::vector<double> RegionStatistics::finish(TimeStatistic statistic) const {
    if (cells_ == 0) return std::vector<double>(volumes_, kNaN);
    switch (statistic) {
        case TimeStatistic::Mean: return meanSeries();
        case TimeStatistic::Min: return min_;
        case TimeStatistic::Max: return max_;
        case TimeStatistic::Std: return stdSeries();
        case TimeStatistic::Median: return medianSeries();
        case TimeStatistic::Eigen: return firstEigenvariate(samples_, cells_, volumes_);
    }
    return std::vector<double>(volumes_, kNaN);
}

}  // namespace zandrel
