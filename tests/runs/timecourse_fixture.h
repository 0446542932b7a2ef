#pragma once
// Generated runs for the time-course tests: an FMR header and its data file in a temporary
// folder, every sample chosen by the test, and the samples kept in memory for references.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "formats/fmr_header.h"
#include "runs/timecourse_extract.h"
#include "temp_dir.h"

namespace zandrel::test {

struct RunShape {
    int columns, rows, slices, volumes;
    bool floatData;
};

// Sample of cell (column, row, slice) in volume t.
using SampleOf = std::function<float(int column, int row, int slice, int t)>;

class GeneratedRun {
public:
    // Writes "<stem>.fmr" and "<stem>.stc" (int16 samples are the values rounded).
    GeneratedRun(const TempDir& dir, const RunShape& shape, const SampleOf& sample, const std::string& stem = "run")
        : shape_(shape) {
        samples_.resize(static_cast<std::size_t>(shape.columns) * shape.rows * shape.slices * shape.volumes);
        std::string bytes;
        for (int s = 0; s < shape.slices; ++s)
            for (int t = 0; t < shape.volumes; ++t)
                for (int y = 0; y < shape.rows; ++y)
                    for (int x = 0; x < shape.columns; ++x) {
                        float value = sample(x, y, s, t);
                        if (shape.floatData) {
                            std::uint32_t bits;
                            std::memcpy(&bits, &value, sizeof bits);
                            for (int b = 0; b < 4; ++b) bytes += static_cast<char>((bits >> (8 * b)) & 0xFF);
                        } else {
                            const auto v = static_cast<std::int16_t>(std::lround(value));
                            value = v;
                            bytes += static_cast<char>(v & 0xFF);
                            bytes += static_cast<char>((v >> 8) & 0xFF);
                        }
                        samples_[index(x, y, s, t)] = value;
                    }
        stc_ = dir.write(stem + ".stc", bytes);
        fmr_ = dir.write(stem + ".fmr", "NrOfVolumes: " + std::to_string(shape.volumes) +
                                            "\nNrOfSlices: " + std::to_string(shape.slices) +
                                            "\nPrefix: \"" + stem + "\"\nDataType: " +
                                            (shape.floatData ? "2" : "1") + "\nResolutionX: " +
                                            std::to_string(shape.columns) + "\nResolutionY: " +
                                            std::to_string(shape.rows) + "\n");
    }

    FmrHeader header() const { return readFmrHeader(fmr_, false); }
    const std::string& stcPath() const { return stc_; }
    float at(const SelectedCell& c, int t) const { return samples_[index(c.column, c.row, c.slice, t)]; }

private:
    std::size_t index(int x, int y, int s, int t) const {
        return ((static_cast<std::size_t>(t) * shape_.slices + s) * shape_.rows + y) * shape_.columns + x;
    }
    RunShape shape_;
    std::vector<float> samples_;
    std::string stc_, fmr_;
};

// A different, deterministic value for every cell and volume: a slow wave whose phase and
// amplitude depend on the cell, plus hashed noise.
inline float voxelSignal(int x, int y, int s, int t) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u ^
                      static_cast<std::uint32_t>(s) * 83492791u ^ static_cast<std::uint32_t>(t) * 2654435761u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    const double noise = static_cast<double>(h % 10007) / 10007.0 - 0.5;
    return static_cast<float>(1000.0 + 40.0 * (x + 2 * y + 3 * s) +
                              (20.0 + x) * std::sin(0.21 * t + 0.5 * y + 0.3 * s) + 30.0 * noise);
}

inline SelectedCell cell(int column, int row, int slice, double occupancy = 1.0) {
    return SelectedCell{column, row, slice, occupancy};
}

}  // namespace zandrel::test
