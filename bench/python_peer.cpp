// The C++ side of bench/python_bench.py: the same work the Python module does, through the
// public API, timed in this process.
//   zandrel_python_peer convert REPS ROI FMR IA FA ACPC [TAL]
//   zandrel_python_peer extract REPS STATS VOI FMR IA FA ACPC [TAL]
// Prints one line: "<median ms> <peak resident MB>".
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <sstream>
#include <string>
#include <vector>

#include "zandrel/zandrel.h"

namespace {

double medianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <class Work>
double medianMs(int reps, Work work) {
    std::vector<double> times;
    for (int n = 0; n < reps; ++n) {
        const auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return medianOf(times);
}

double peakMb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        if (args.size() < 7) {
            std::fprintf(stderr, "usage: zandrel_python_peer convert|extract REPS ...\n");
            return 2;
        }
        const int reps = std::atoi(args[1].c_str());
        double ms = 0.0;
        std::size_t checksum = 0;
        if (args[0] == "convert") {
            const zandrel::FileSet set{args[2], args[3], args[4], args[5], args[6], args.size() > 7 ? args[7] : ""};
            ms = medianMs(reps, [&] { checksum += zandrel::convertInMemory(set).voiFile.vois.size(); });
        } else {
            zandrel::ExtractOptions options;
            options.statistics.clear();
            std::istringstream names(args[2]);
            for (std::string name; std::getline(names, name, ',');) options.statistics.push_back(*zandrel::statisticNamed(name));
            const zandrel::RunSet set{args[3], args[4], args[5], args[6], args[7], args.size() > 8 ? args[8] : ""};
            ms = medianMs(reps, [&] {
                const zandrel::ProjectedRun run = zandrel::projectRunSet(set);
                zandrel::checkTimeCourseFile(run.fmr);
                checksum += zandrel::extractVoiTimeSeries(run.footprint, run.fmr, 0.5, options).vois.size();
            });
        }
        std::printf("%.3f %.1f %zu\n", ms, peakMb(), checksum);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zandrel_python_peer: %s\n", error.what());
        return 1;
    }
}
