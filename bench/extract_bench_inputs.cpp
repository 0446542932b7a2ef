// zandrel_extract_bench_inputs DIR COLUMNS ROWS SLICES VOLUMES
//
// Writes the inputs of bench/extract_vs_labels.sh into DIR: a study of two subjects in ACPC
// space, the first (64 x 64 x 30) whose ROI becomes the VOI, the second whose run
// (COLUMNS x ROWS x SLICES, VOLUMES volumes of int16 samples) the VOI is placed on: a VOI
// drawn on another run. The run's samples are a smooth wave whose phase changes slowly
// across the grid, plus noise, so that regions that mostly overlap have similar means.
// Also writes "run_list.txt" (the run list of that one set) and "grid_to_functional.txt"
// (the run's affine map from anatomical grid indices to functional cell positions, 4 rows
// of 4 numbers), from which the peer places the run in the world.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "chain/set_chain.h"
#include "formats/fmr_header.h"
#include "formats/tal_record.h"
#include "formats/trf_record.h"
#include "generator/study_generator.h"
#include "voi/voi_scan.h"

namespace {

using namespace zandrel;

void writeSamples(const std::string& path, int columns, int rows, int slices, int volumes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<char> plane(static_cast<std::size_t>(columns) * rows * 2);
    std::uint32_t state = 12345u;
    for (int s = 0; s < slices; ++s)
        for (int t = 0; t < volumes; ++t) {
            for (int y = 0; y < rows; ++y)
                for (int x = 0; x < columns; ++x) {
                    state = state * 1664525u + 1013904223u;
                    const double noise = static_cast<double>(state >> 16) / 65536.0 - 0.5;
                    const double phase = 6.0 * x / columns + 4.0 * y / rows + 5.0 * s / slices;
                    const double value =
                        1000.0 + 120.0 * std::sin(0.09 * t + phase) + 40.0 * std::sin(0.31 * t - 0.5 * phase) + 40.0 * noise;
                    const auto v = static_cast<std::int16_t>(std::lround(value));
                    const std::size_t at = (static_cast<std::size_t>(y) * columns + x) * 2;
                    plane[at] = static_cast<char>(v & 0xFF);
                    plane[at + 1] = static_cast<char>((v >> 8) & 0xFF);
                }
            out.write(plane.data(), static_cast<std::streamsize>(plane.size()));
        }
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::cerr << "usage: zandrel_extract_bench_inputs DIR COLUMNS ROWS SLICES VOLUMES\n";
        return 2;
    }
    try {
        const std::string dir = argv[1];
        const int columns = std::stoi(argv[2]), rows = std::stoi(argv[3]), slices = std::stoi(argv[4]),
                  volumes = std::stoi(argv[5]);
        studygen::StudyPlan plan;
        studygen::SubjectPlan drawn;
        drawn.withTal = false;
        drawn.seed = 11;
        studygen::SubjectPlan run = drawn;
        run.name = "subject2";
        run.stem = "s2";
        run.resolutionX = columns;
        run.resolutionY = rows;
        run.slices = slices;
        run.volumes = 1;  // the samples are written below
        run.inplaneResolution = 192.0 / columns;
        run.sliceThickness = 100.0 / slices;
        run.sliceGap = 0.0;
        run.seed = 12;
        plan.subjects = {drawn, run};
        const studygen::GeneratedStudy study = studygen::writeStudy(dir + "/study", plan);
        const studygen::SubjectFiles& target = study.subjects[1];

        // The header of the target run with its number of volumes.
        std::ifstream in(target.fmr, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::string key = "NrOfVolumes:";
        const std::size_t at = text.find(key);
        const std::size_t end = text.find_first_of("\r\n", at);
        text.replace(at, end - at, key + "                   " + std::to_string(volumes));
        std::ofstream(target.fmr, std::ios::binary | std::ios::trunc) << text;
        writeSamples(target.stc, columns, rows, slices, volumes);

        const std::string voi = study.subjects[0].roi.substr(0, study.subjects[0].roi.size() - 4) + "_ACPC_.voi";
        std::ofstream(dir + "/run_list.txt") << "\n"
                                             << voi << "\n"
                                             << target.fmr << "\n"
                                             << target.ia << "\n"
                                             << target.fa << "\n"
                                             << target.acpc << "\n";

        // The affine map of grid indices to functional positions, from the mapping itself.
        const FmrHeader fmr = readFmrHeader(target.fmr, false);
        const SetChain chain =
            computeSetChain(fmr, readTrfFile(target.ia), readTrfFile(target.fa), readTrfFile(target.acpc), TalRecord{});
        const ScanSetup setup = scanSetupOf(chain, fmr);
        double origin[3], axis[3][3];
        float x, y, z;
        functionalPositionOf(setup, 0, 0, 0, x, y, z);
        origin[0] = x, origin[1] = y, origin[2] = z;
        for (int a = 0; a < 3; ++a) {
            functionalPositionOf(setup, a == 0 ? 255 : 0, a == 1 ? 255 : 0, a == 2 ? 255 : 0, x, y, z);
            axis[a][0] = (x - origin[0]) / 255.0, axis[a][1] = (y - origin[1]) / 255.0, axis[a][2] = (z - origin[2]) / 255.0;
        }
        std::FILE* out = std::fopen((dir + "/grid_to_functional.txt").c_str(), "w");
        for (int r = 0; r < 3; ++r)
            std::fprintf(out, "%.17g %.17g %.17g %.17g\n", axis[0][r], axis[1][r], axis[2][r], origin[r]);
        std::fprintf(out, "0 0 0 1\n");
        std::fclose(out);
        std::cout << study.listPath << "\n" << target.stc << "\n";
        return 0;
    } catch (const std::exception& error) {
        std::cerr << "zandrel_extract_bench_inputs: " << error.what() << "\n";
        return 1;
    }
}
