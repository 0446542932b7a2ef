// zandrel_report_bench: the cost of `zandrel convert --report` against the same conversion
// without it, each a whole `zandrel` process on the same generated study.
//
// `zandrel_report_bench ZANDREL [folder]` writes a study of 20 sets of 300 volumes (int16
// and float samples; 64 x 64 x 30 and 80 x 80 x 36 grids; with and without landmarks)
// under `folder` (default: a fresh folder under the system's temporary folder, removed at
// the end), runs each command once to warm the file cache, then five more times in turn,
// and prints the fastest wall time of each, their ratio, the least processor time (user
// and system) and each process's peak memory. Both commands run twice: free to use every
// processor (the report draws its figures on a few threads beside the batch), and bound
// to one processor, where the report's whole work adds to the conversion's.

#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "generator/study_generator.h"

namespace {

namespace fs = std::filesystem;

struct Run {
    double seconds = 0.0;
    double cpuSeconds = 0.0;  // user and system
    long peakKb = 0;
    int status = -1;
};

// Runs `args` as a process in `folder` with its output discarded, on the first processor
// only when `oneProcessor`.
Run runProcess(const std::vector<std::string>& args, const std::string& folder, bool oneProcessor) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        if (chdir(folder.c_str()) != 0) _exit(127);
        if (oneProcessor) {
            cpu_set_t first;
            CPU_ZERO(&first);
            CPU_SET(0, &first);
            if (sched_setaffinity(0, sizeof first, &first) != 0) _exit(126);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    Run run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKb = usage.ru_maxrss;
    run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

constexpr int kVolumes = 300;

zandrel::studygen::StudyPlan benchStudy() {
    zandrel::studygen::StudyPlan plan = zandrel::studygen::realisticStudyPlan(20, 7u);
    for (std::size_t i = 0; i < plan.subjects.size(); ++i) {
        zandrel::studygen::SubjectPlan& s = plan.subjects[i];
        s.volumes = kVolumes;
        s.floatData = i % 2 == 1;
        const bool large = i / 2 % 2 == 1;
        s.resolutionX = s.resolutionY = large ? 80 : 64;
        s.slices = large ? 36 : 30;
        s.withTal = i / 4 % 2 == 0;
    }
    plan.prefix = "./";
    return plan;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: zandrel_report_bench ZANDREL [folder]\n");
        return 2;
    }
    const std::string zandrel = fs::absolute(argv[1]).string();
    const bool own = argc == 2;
    const fs::path root = own ? fs::temp_directory_path() / ("zandrel-report-bench-" + std::to_string(getpid()))
                              : fs::path(argv[2]);
    try {
        const zandrel::studygen::StudyPlan plan = benchStudy();
        const zandrel::studygen::GeneratedStudy study = zandrel::studygen::writeStudy(root.string(), plan);
        const std::string list = fs::path(study.listPath).filename().string();
        const std::vector<std::string> plain = {zandrel, "convert", list};
        const std::vector<std::string> report = {zandrel, "convert", list, "--report", (root / "report").string()};

        // [one processor][with report]
        Run best[2][2];
        for (int round = 0; round < 6; ++round) {
            for (int one = 0; one < 2; ++one) {
                for (int withReport = 0; withReport < 2; ++withReport) {
                    const Run run = runProcess(withReport ? report : plain, root.string(), one == 1);
                    if (run.status != 0) {
                        std::fprintf(stderr, "zandrel exited with status %d\n", run.status);
                        return 1;
                    }
                    if (round == 0) continue;  // warms the file cache
                    Run& kept = best[one][withReport];
                    if (kept.seconds == 0.0 || run.seconds < kept.seconds) kept.seconds = run.seconds;
                    if (kept.cpuSeconds == 0.0 || run.cpuSeconds < kept.cpuSeconds) kept.cpuSeconds = run.cpuSeconds;
                    kept.peakKb = std::max(kept.peakKb, run.peakKb);
                }
            }
        }
        std::uintmax_t bytes = 0;
        for (const auto& entry : fs::recursive_directory_iterator(root))
            if (entry.is_regular_file() && entry.path().extension() == ".stc") bytes += entry.file_size();
        std::printf("study: 20 sets of 300 volumes, %.0f MB of time-course data; %ld processors\n\n",
                    static_cast<double>(bytes) / 1e6, sysconf(_SC_NPROCESSORS_ONLN));
        std::printf("| command | processors | wall time (s) | ratio | processor time (s) | ratio | peak memory (MB) |\n"
                    "|---|---|---:|---:|---:|---:|---:|\n");
        for (int one = 0; one < 2; ++one) {
            const Run& plainRun = best[one][0];
            const Run& reportRun = best[one][1];
            const char* processors = one == 1 ? "one" : "all";
            std::printf("| `zandrel convert study.txt` | %s | %.3f | 1.00 | %.3f | 1.00 | %.1f |\n", processors,
                        plainRun.seconds, plainRun.cpuSeconds, plainRun.peakKb / 1024.0);
            std::printf("| `zandrel convert study.txt --report DIR` | %s | %.3f | %.2f | %.3f | %.2f | %.1f |\n", processors,
                        reportRun.seconds, reportRun.seconds / plainRun.seconds, reportRun.cpuSeconds,
                        reportRun.cpuSeconds / plainRun.cpuSeconds, reportRun.peakKb / 1024.0);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zandrel_report_bench: %s\n", error.what());
        return 1;
    }
    if (own) {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    return 0;
}
