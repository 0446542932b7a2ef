// zandrel_timecourse_bench: the time course of a VOI streamed from the slices it needs
// against loading the whole time-course data (one float grid per volume) and averaging.
//
// A run of 300 volumes of 64 x 64 x 30 int16 samples (and with --large also 1,000 volumes
// of 96 x 96 x 60) is written to a temporary folder; the VOI holds 100 cells spread over 5
// slices. Each way runs in a child process of its own (wall time, peak resident memory from
// wait4), warm: the file is in the page cache after writing; the median of the runs is
// reported. The two ways' mean series must agree to the last bit.
//
// zandrel_timecourse_bench [--runs N] [--large]

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <tuple>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "child_measure.h"
#include "formats/fmr_header.h"
#include "runs/timecourse_extract.h"

namespace zandrel::bench {
namespace {

namespace fs = std::filesystem;

struct Shape {
    int columns, rows, slices, volumes;
};

// Writes "<dir>/run.fmr" and its int16 data, every cell a different course.
std::string writeRun(const fs::path& dir, const Shape& shape) {
    {
        std::ofstream stc(dir / "run.stc", std::ios::binary);
        std::vector<char> plane(static_cast<std::size_t>(shape.columns) * shape.rows * 2);
        for (int s = 0; s < shape.slices; ++s)
            for (int t = 0; t < shape.volumes; ++t) {
                for (int y = 0; y < shape.rows; ++y)
                    for (int x = 0; x < shape.columns; ++x) {
                        const int value = 800 + 3 * x + 5 * y + 7 * s + ((x * 31 + y * 17 + s * 13 + t * 7) % 97);
                        const std::size_t at = (static_cast<std::size_t>(y) * shape.columns + x) * 2;
                        plane[at] = static_cast<char>(value & 0xFF);
                        plane[at + 1] = static_cast<char>((value >> 8) & 0xFF);
                    }
                stc.write(plane.data(), static_cast<std::streamsize>(plane.size()));
            }
    }
    const fs::path fmr = dir / "run.fmr";
    std::ofstream(fmr) << "NrOfVolumes: " << shape.volumes << "\nNrOfSlices: " << shape.slices
                       << "\nPrefix: \"run\"\nDataType: 1\nResolutionX: " << shape.columns
                       << "\nResolutionY: " << shape.rows << "\n";
    return fmr.string();
}

// 100 cells: a 4 x 5 patch on each of 5 slices spread over the run.
std::vector<SelectedCell> voiCells(const Shape& shape) {
    std::vector<SelectedCell> cells;
    for (int k = 0; k < 5; ++k) {
        const int slice = (k + 1) * shape.slices / 6;
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 4; ++x) cells.push_back({shape.columns / 2 + x, shape.rows / 3 + y, slice, 1.0});
    }
    return cells;
}

// The way it was done before: every sample loaded, then the mean over the VOI's cells in
// the same order as the streaming reduction.
std::vector<double> meanFromWholeFile(const std::string& fmr, std::vector<SelectedCell> cells) {
    const FmrHeader header = readFmrHeader(fmr, true);
    std::sort(cells.begin(), cells.end(), [](const SelectedCell& a, const SelectedCell& b) {
        return std::tie(a.slice, a.row, a.column) < std::tie(b.slice, b.row, b.column);
    });
    std::vector<double> mean;
    for (const VolumeGrid& volume : header.volumes) {
        double sum = 0.0;
        for (const SelectedCell& c : cells) sum += volume.get(c.column, c.row, c.slice);
        mean.push_back(sum / static_cast<double>(cells.size()));
    }
    return mean;
}

struct Way {
    const char* label;
    std::function<std::vector<double>()> run;  // the mean series
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void measure(const Shape& shape, int runs) {
    const fs::path dir = fs::temp_directory_path() / ("zandrel_timecourse_bench_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string fmr = writeRun(dir, shape);
    const std::vector<SelectedCell> cells = voiCells(shape);
    const FmrHeader header = readFmrHeader(fmr, false);
    ExtractOptions meanOnly;
    ExtractOptions every;
    every.statistics = {TimeStatistic::Mean, TimeStatistic::Median, TimeStatistic::Std,
                        TimeStatistic::Min,  TimeStatistic::Max,    TimeStatistic::Eigen};
    const Way ways[] = {
        {"process without work", [] { return std::vector<double>(); }},
        {"whole file, then mean", [&] { return meanFromWholeFile(fmr, cells); }},
        {"streamed, mean", [&] { return extractTimeSeries(header, {{cells}}, meanOnly).vois[0].series[0]; }},
        {"streamed, all six statistics", [&] { return extractTimeSeries(header, {{cells}}, every).vois[0].series[0]; }},
    };
    std::printf("%d volumes of %d x %d x %d int16 (%.1f MB), VOI of %zu cells on 5 slices, median of %d runs\n",
                shape.volumes, shape.columns, shape.rows, shape.slices,
                static_cast<double>(fs::file_size(dir / "run.stc")) / 1e6, cells.size(), runs);
    std::vector<double> reference;
    double wholeMs = 0.0, wholeMb = 0.0;
    for (const Way& way : ways) {
        std::vector<double> wall, peak;
        std::vector<double> series;
        for (int r = 0; r < runs; ++r) {
            const ChildMeasure m = measureInChild([&](std::vector<double>& out) {
                out = way.run();
                return 0;
            });
            if (!m.succeeded) {
                std::printf("  %-30s failed\n", way.label);
                return;
            }
            wall.push_back(m.wallMs);
            peak.push_back(m.peakMb);
            series = m.values;
        }
        const double ms = median(wall), mb = median(peak);
        if (std::strncmp(way.label, "whole", 5) == 0) {
            reference = series;
            wholeMs = ms;
            wholeMb = mb;
        }
        const bool same = series.empty() || series == reference;
        std::printf("  %-30s %9.1f ms %8.1f MB peak", way.label, ms, mb);
        if (wholeMs > 0.0 && std::strncmp(way.label, "streamed", 8) == 0)
            std::printf("   time / whole %.3f, peak / whole %.3f, series %s", ms / wholeMs, mb / wholeMb,
                        same ? "identical" : "DIFFER");
        std::printf("\n");
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace zandrel::bench

int main(int argc, char** argv) {
    int runs = 5;
    bool large = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
        else if (arg == "--large") large = true;
    }
    zandrel::bench::measure({64, 64, 30, 300}, runs);
    if (large) zandrel::bench::measure({96, 96, 60, 1000}, runs);
    return 0;
}
