// zandrel_bench: the production grid scan against the reference scan on a realistic set,
// the .voi text output, and the peak memory of the process.
//
// The set: a 64 x 64 x 30 functional grid of 3 x 3 x 3.5 mm slices with a 0.5 mm gap, a
// transversal stack, rigid IA, FA and ACPC transformations with rotations of a few degrees,
// 1 mm anatomical voxels, and 8 ROIs of 50 to 400 voxels spread over the brain. It is run in
// ACPC space and in Talairach space (landmarks of a plausible brain, FileVersion 3).
//
// `zandrel_bench --production-only [rounds] [acpc|talairach]` times the production builds
// alone, with their page faults, next to the writing time: for profilers (valgrind
// --tool=callgrind counts instructions reproducibly on a busy machine).

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <time.h>

#include "voi/voi_builder.h"
#include "voi/voi_file.h"
#include "voi_fixtures.h"  // in-memory records shared with the VOI tests

namespace zandrel {
namespace {

using test::makeTrf;
using test::put;
using test::rigid;

// Processor time of this process in milliseconds: on a machine shared with other jobs the
// wall-clock time mostly measures the others.
double cpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

double bestOfThree(const std::function<void()>& run) {
    double best = HUGE_VAL;
    for (int round = 0; round < 3; ++round) {
        const double start = cpuMilliseconds();
        run();
        best = std::min(best, cpuMilliseconds() - start);
    }
    return best;
}

double peakResidentMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

FmrHeader functionalProject() {
    FmrHeader fmr;
    fmr.path = "bench/run1.fmr";
    put(fmr.FileVersion, 5);
    put(fmr.ResolutionX, 64);
    put(fmr.ResolutionY, 64);
    put(fmr.NrOfSlices, 30);
    put(fmr.InplaneResolutionX, 3.0f);
    put(fmr.InplaneResolutionY, 3.0f);
    put(fmr.SliceThickness, 3.5f);
    put(fmr.SliceGap, 0.5f);
    put(fmr.Slice1CenterX, 1.2f);
    put(fmr.Slice1CenterY, -14.0f);
    put(fmr.Slice1CenterZ, -52.0f);
    put(fmr.SliceNCenterX, 0.8f);
    put(fmr.SliceNCenterY, -6.5f);
    put(fmr.SliceNCenterZ, 63.8f);
    return fmr;
}

TalRecord talairachLandmarks() {
    TalRecord tal;
    tal.path = "bench/anat.tal";
    put(tal.FileVersion, 3);
    tal.landmarks[landmark::AC] = Landmark{128, 128, 128};
    tal.landmarks[landmark::PC] = Landmark{153, 129, 128};
    tal.landmarks[landmark::AP] = Landmark{61, 128, 128};
    tal.landmarks[landmark::PP] = Landmark{227, 128, 128};
    tal.landmarks[landmark::SP] = Landmark{128, 58, 128};
    tal.landmarks[landmark::IP] = Landmark{128, 166, 128};
    tal.landmarks[landmark::RP] = Landmark{128, 128, 63};
    tal.landmarks[landmark::LP] = Landmark{128, 128, 194};
    return tal;
}

// A blob of `count` voxels: the cells nearest to `centre`, millimetre distances, slightly
// elongated along the slice axis.
std::vector<VoxelTriple> blob(const int centre[3], std::size_t count) {
    std::vector<std::pair<double, VoxelTriple>> cells;
    for (int z = centre[2] - 8; z <= centre[2] + 8; ++z)
        for (int y = centre[1] - 12; y <= centre[1] + 12; ++y)
            for (int x = centre[0] - 12; x <= centre[0] + 12; ++x) {
                const double dx = 3.0 * (x - centre[0]), dy = 3.0 * (y - centre[1]), dz = 4.0 * (z - centre[2]) / 1.3;
                cells.push_back({dx * dx + dy * dy + dz * dz + 1e-3 * (x + 64 * y), VoxelTriple{x, y, z}});
            }
    std::sort(cells.begin(), cells.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<VoxelTriple> voxels;
    for (std::size_t n = 0; n < count; ++n) voxels.push_back(cells[n].second);
    return voxels;
}

RoiFile regionsOfInterest() {
    const int centres[8][3] = {{20, 24, 8},  {44, 22, 10}, {31, 40, 15}, {18, 44, 19},
                               {46, 42, 20}, {32, 18, 22}, {25, 32, 11}, {40, 32, 6}};
    const std::size_t sizes[8] = {50, 90, 140, 190, 240, 290, 340, 400};
    RoiFile roi;
    roi.path = "bench/run1.roi";
    put(roi.FileVersion, 6);
    put(roi.NrOfTCPlots, 8);
    for (int p = 0; p < 8; ++p) {
        RoiPlot plot;
        plot.voxels = blob(centres[p], sizes[p]);
        put(plot.NrOfVoxels, static_cast<std::int32_t>(plot.voxels.size()));
        roi.plots.push_back(plot);
    }
    return roi;
}

std::string textOf(const VoiFile& file) {
    std::ostringstream out;
    file.write(out, true);
    return out.str();
}

// Writing time of the text itself: to a file stream on the null device, so that neither a
// growing string nor the disk is measured.
double writeMilliseconds(const VoiFile& file) {
    std::ofstream sink("/dev/null", std::ios::binary);
    return bestOfThree([&] { file.write(sink, true); });
}

struct CaseResult {
    double referenceMs = 0.0;
    double productionMs = 0.0;
    double writeMs = 0.0;
    double saveMs = 0.0;  // the whole save(): temporary file, text, sync, rename
    double peakMb = 0.0;  // of the process, after this case
    std::size_t voxels = 0;
    bool identical = false;
};

CaseResult runCase(const RoiFile& roi, const FmrHeader& fmr, const TrfRecord& ia, const TrfRecord& fa,
                   const TrfRecord& acpc, const TalRecord& tal) {
    CaseResult result;
    VoiFile reference;
    VoiFile production;
    result.referenceMs = bestOfThree([&] { reference = buildVoiFileReference(roi, fmr, ia, fa, acpc, tal); });
    // A batch builds set after set in one process: two untimed builds first, so that the
    // timed ones meet the memory allocator as later sets do, not as the first after the
    // reference scans.
    for (int warmUp = 0; warmUp < 2; ++warmUp) production = buildVoiFile(roi, fmr, ia, fa, acpc, tal);
    result.productionMs = bestOfThree([&] { production = buildVoiFile(roi, fmr, ia, fa, acpc, tal); });
    for (const Voi& voi : production.vois) result.voxels += voi.voxels.size();
    result.identical = textOf(reference) == textOf(production);
    result.writeMs = writeMilliseconds(production);
    production.fileName = (std::filesystem::temp_directory_path() / "zandrel_bench_case.voi").string();
    result.saveMs = bestOfThree([&] { production.save(); });
    std::remove(production.fileName.c_str());
    result.peakMb = peakResidentMegabytes();
    return result;
}

long minorPageFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// Processor time spent in the system for this process, in milliseconds (page faults).
double systemMilliseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_stime.tv_sec) * 1e3 + static_cast<double>(usage.ru_stime.tv_usec) * 1e-3;
}

// Mean processor time of `run` over `rounds` runs, with its system share and page faults.
struct MeanCost {
    double ms = 0.0;
    double systemMs = 0.0;
    double pageFaults = 0.0;
};

MeanCost meanCost(int rounds, const std::function<void()>& run) {
    const double start = cpuMilliseconds();
    const double systemStart = systemMilliseconds();
    const long faults = minorPageFaults();
    for (int round = 0; round < rounds; ++round) run();
    MeanCost cost;
    cost.ms = (cpuMilliseconds() - start) / rounds;
    cost.systemMs = (systemMilliseconds() - systemStart) / rounds;
    cost.pageFaults = static_cast<double>(minorPageFaults() - faults) / rounds;
    return cost;
}

// With --production-only, builds each case's VOIs with the production scan only, `rounds`
// times (default 20), and prints the mean processor time per build, its system share and
// page faults; the same for the case with every plot emptied (what the builder costs
// besides scanning), and the mean time of writing the case's text. For profilers, where the
// reference scan would take most of the run. A third argument "acpc" or "talairach" runs
// one case only.
int productionOnly(int rounds, const std::string& only, const RoiFile& roi, const FmrHeader& fmr, const TrfRecord& ia,
                   const TrfRecord& fa, const TrfRecord& acpc) {
    RoiFile emptied = roi;
    for (RoiPlot& plot : emptied.plots) plot.voxels.clear();
    const TalRecord cases[2] = {TalRecord{}, talairachLandmarks()};
    for (const TalRecord& tal : cases) {
        const bool talairach = tal.FileVersion.value != -1;
        if (only == (talairach ? "acpc" : "talairach")) continue;
        VoiFile file;  // replaced by each build, as in the timed runs above
        const MeanCost build = meanCost(rounds, [&] { file = buildVoiFile(roi, fmr, ia, fa, acpc, tal); });
        std::size_t voxels = 0;
        for (const Voi& voi : file.vois) voxels += voi.voxels.size();
        VoiFile empty;
        const MeanCost withoutScan = meanCost(rounds, [&] { empty = buildVoiFile(emptied, fmr, ia, fa, acpc, tal); });
        std::ofstream sink("/dev/null", std::ios::binary);
        const MeanCost write = meanCost(rounds, [&] { file.write(sink, true); });
        std::printf("%-10s %zu voxels, per build %.3f ms (system %.3f, %.1f page faults); "
                    "with empty plots %.3f ms; writing %.3f ms\n",
                    talairach ? "Talairach" : "ACPC", voxels, build.ms, build.systemMs, build.pageFaults,
                    withoutScan.ms, write.ms);
    }
    return 0;
}

}  // namespace
}  // namespace zandrel

int main(int argc, char** argv) {
    using namespace zandrel;
    const FmrHeader fmr = functionalProject();
    const TrfRecord ia = makeTrf(rigid(2.5, -3.0, 4.0, 6.0f, -9.5f, 14.0f), 3);
    const TrfRecord fa = makeTrf(rigid(0.6, -0.9, 0.4, 0.7f, -0.5f, 1.2f), 2);
    const TrfRecord acpc = makeTrf(rigid(3.2, 1.4, -2.1, -4.0f, 7.5f, 11.0f), 1);
    const RoiFile roi = regionsOfInterest();
    if (argc > 1 && std::string(argv[1]) == "--production-only")
        return productionOnly(argc > 2 ? std::max(1, std::atoi(argv[2])) : 20, argc > 3 ? argv[3] : "", roi, fmr, ia,
                              fa, acpc);

    const CaseResult acpcCase = runCase(roi, fmr, ia, fa, acpc, TalRecord{});
    const CaseResult talCase = runCase(roi, fmr, ia, fa, acpc, talairachLandmarks());

    // A VOI of a million voxels, written as text to memory and saved to a file.
    VoiFile large;
    Voi voi;
    voi.NameOfVOI = KeyedText{"NameOfVOI", "VOI 1", 12, false, true};
    for (std::int32_t n = 0; n < 1000000; ++n) voi.voxels.push_back({n % 256 - 127, (n / 256) % 256 - 127, n / 65536});
    voi.NrOfVoxels = KeyedInt{"NrOfVoxels", 1000000, 12, true};
    large.vois.push_back(voi);
    large.NrOfVOIs.value = 1;
    const std::size_t millionBytes = textOf(large).size();
    const double millionWriteMs = writeMilliseconds(large);
    large.fileName = (std::filesystem::temp_directory_path() / "zandrel_bench_million.voi").string();
    const double millionSaveMs = bestOfThree([&] { large.save(); });
    std::remove(large.fileName.c_str());

    std::printf("times: processor time of the process, best of 3 runs\n");
    std::printf("%-10s %9s %13s %14s %7s %9s %11s %8s %10s %8s\n", "case", "voxels", "reference ms", "production ms",
                "ratio", "write ms", "scan/write", "save ms", "scan/save", "peak MB");
    const auto row = [](const char* name, const CaseResult& r) {
        std::printf("%-10s %9zu %13.1f %14.2f %7.1f %9.2f %11.2f %8.2f %10.2f %8.1f\n", name, r.voxels,
                    r.referenceMs, r.productionMs, r.referenceMs / r.productionMs, r.writeMs,
                    r.productionMs / r.writeMs, r.saveMs, r.productionMs / r.saveMs, r.peakMb);
    };
    row("ACPC", acpcCase);
    row("Talairach", talCase);
    std::printf("million-voxel VOI: written %.1f ms, saved to disk %.1f ms (%zu bytes)\n", millionWriteMs,
                millionSaveMs, millionBytes);

    if (!acpcCase.identical || !talCase.identical) {
        std::printf("ERROR: production and reference scans differ (ACPC %s, Talairach %s)\n",
                    acpcCase.identical ? "identical" : "different", talCase.identical ? "identical" : "different");
        return 1;
    }
    const double speedup = std::min(acpcCase.referenceMs / acpcCase.productionMs,
                                    talCase.referenceMs / talCase.productionMs);
    std::printf("speedup %d\n", static_cast<int>(std::floor(speedup)));
    return 0;
}
