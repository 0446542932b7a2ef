// zandrel_nifti_bench: per set of generated studies, the time and size of the .voi file and
// of the NIfTI label image (with its table and sidecar) at gzip levels 1, 3, 6 and 9.
//
// `zandrel_nifti_bench [folder]` writes the studies and outputs under `folder` (default: a
// fresh folder under the system's temporary folder, removed at the end). Times are the
// fastest of three runs in processor milliseconds, which a shared machine disturbs least.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <time.h>

#include "outputs/nifti/voi_outputs.h"
#include "formats/fmr_header.h"
#include "formats/roi_file.h"
#include "formats/tal_record.h"
#include "formats/trf_record.h"
#include "generator/study_generator.h"
#include "voi/voi_builder.h"

namespace zandrel {
namespace {

double cpuMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

template <class Work>
double fastestOfThree(Work work) {
    double best = 1e300;
    for (int round = 0; round < 3; ++round) {
        const double start = cpuMilliseconds();
        work();
        best = std::min(best, cpuMilliseconds() - start);
    }
    return best;
}

VoiFile build(const studygen::SubjectFiles& s) {
    const TalRecord tal = s.tal.empty() ? TalRecord() : readTalFile(s.tal);
    return buildVoiFile(readRoiFile(s.roi), readFmrHeader(s.fmr, true), readTrfFile(s.ia), readTrfFile(s.fa),
                        readTrfFile(s.acpc), tal);
}

int run(const std::string& folder) {
    namespace fs = std::filesystem;
    const studygen::GeneratedStudy study = studygen::writeStudy(folder + "/study", studygen::realisticStudyPlan(4, 3));
    std::printf("%-10s %5s %9s | %10s %8s | %-28s\n", "set", "VOIs", "voxels", ".voi bytes", "ms", "labels .nii.gz: level bytes ms");
    for (const studygen::SubjectFiles& subject : study.subjects) {
        VoiFile file = build(subject);
        file.fileName = subject.roi.substr(0, subject.roi.rfind('.')) + (subject.tal.empty() ? "_ACPC_.voi" : "_TAL_.voi");
        std::size_t voxels = 0;
        for (const Voi& voi : file.vois) voxels += voi.voxels.size();
        const double voiMs = fastestOfThree([&] { file.save(); });
        const std::string stem = convertStem(file.fileName);
        std::printf("%-10s %5zu %9zu | %10ju %8.1f |", fs::path(subject.roi).stem().string().c_str(), file.vois.size(),
                    voxels, static_cast<std::uintmax_t>(fs::file_size(file.fileName)), voiMs);
        for (const int level : {1, 3, 6, 9}) {
            const double ms = fastestOfThree([&] { writeVoiOutputs(file, stem, NiftiMode::Labels, nullptr, level); });
            std::printf(" L%d %7ju %6.1f", level, static_cast<std::uintmax_t>(fs::file_size(stem + ".nii.gz")), ms);
        }
        std::printf("\n");
    }
    return 0;
}

}  // namespace
}  // namespace zandrel

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const bool own = argc < 2;
    const fs::path folder = own ? fs::temp_directory_path() / ("zandrel-nifti-bench-" + std::to_string(::time(nullptr)))
                                : fs::path(argv[1]);
    fs::create_directories(folder);
    const int status = zandrel::run(folder.string());
    if (own) fs::remove_all(folder);
    return status;
}
