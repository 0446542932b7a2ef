// zandrel_study_bench: whole conversions of generated studies, the way the batch runs them.
//
// A study of 20 sets (64 x 64 x 30 and 80 x 80 x 36 grids, int16 and float samples, ACPC
// and Talairach sets, 300 volumes each) is written under build/, then converted in one run
// twice: loading every time-course sample (as the conversion once did) and the production
// way, which checks the time-course file without reading it. Each conversion runs in a child
// process, so its peak memory is its own; each is run twice and the second (warm, the study
// in the page cache) run is reported. The production conversion is set against saving the
// same .voi files (read back, then saved through the temporary file as the conversion does).
// Then the same for a smaller study at 50, 150, 300 and 600 volumes: the production peak
// memory must not grow with the volume count.
//
// zandrel_study_bench [--sets N] [--volumes N] [--scaling 50,150,300,600] [--scaling-sets N]
//                     [--root DIR] [--keep]

#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include <CLI/CLI.hpp>

#include "batch/batch_run.h"
#include "batch/list_reader.h"
#include "batch/set_check.h"
#include "child_measure.h"
#include "generator/study_generator.h"
#include "voi/voi_reader.h"

namespace zandrel::bench {
namespace {

namespace fs = std::filesystem;

struct BenchOptions {
    int sets = 20;
    int volumes = 300;
    std::vector<int> scaling{50, 150, 300, 600};
    int scalingSets = 4;
    std::string root;
    bool keep = false;
};

// Set i: grid 64 x 64 x 30 or 80 x 80 x 36 (i even or odd), int16 or float (i / 2), with
// landmarks or without (i / 4), so that every four sets hold each grid and sample type.
studygen::StudyPlan studyPlan(int sets, int volumes) {
    studygen::StudyPlan plan = studygen::realisticStudyPlan(sets, 20261208u);
    for (int i = 0; i < sets; ++i) {
        studygen::SubjectPlan& subject = plan.subjects[static_cast<std::size_t>(i)];
        const bool large = i % 2 == 1;
        subject.resolutionX = subject.resolutionY = large ? 80 : 64;
        subject.slices = large ? 36 : 30;
        subject.floatData = (i / 2) % 2 == 1;
        subject.withTal = (i / 4) % 2 == 0;
        subject.plots = 6;
        subject.volumes = volumes;
    }
    return plan;
}

class QuietObserver : public BatchObserver {
public:
    void onEvent(const BatchEvent&) override {}
};

// The .voi files the list's sets are written to.
std::vector<std::string> outputsOf(const std::string& listPath) {
    std::vector<std::string> outputs;
    std::ifstream in(listPath, std::ios::in | std::ios::binary);
    ListReader reader(in);
    FileSet set;
    while (reader.next(set)) outputs.push_back(outputPathFor(set));
    return outputs;
}

std::uint64_t bytesOfTimeCourses(const std::string& root) {
    std::uint64_t bytes = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file() && entry.path().extension() == ".stc") bytes += entry.file_size();
    return bytes;
}

struct StudyResult {
    std::string name;
    int sets = 0;
    int volumes = 0;
    double stcGb = 0.0;
    ChildMeasure loading, production, saving;  // saving: values {wall ms, cpu ms} of save() alone
};

ChildMeasure convertStudy(const std::string& listPath, int sets, bool loadTimeCourse) {
    return measureInChild([&](std::vector<double>&) {
        QuietObserver observer;
        ConvertOptions options;
        options.loadTimeCourse = loadTimeCourse;
        const BatchSummary summary = runBatch(listPath, observer, options);
        return summary.converted == sets ? 0 : 1;
    });
}

ChildMeasure saveOutputs(const std::vector<std::string>& outputs) {
    return measureInChild([&](std::vector<double>& values) {
        std::vector<VoiFile> files;
        for (const std::string& output : outputs) {
            files.push_back(readVoiFile(output).file);
            files.back().fileName = output;
        }
        const double wall = wallMilliseconds();
        const double cpu = cpuMilliseconds();
        for (const VoiFile& file : files) file.save();
        values.push_back(wallMilliseconds() - wall);
        values.push_back(cpuMilliseconds() - cpu);
        return 0;
    });
}

// Writes the study in a child (the generator holds a whole time course in memory), runs
// each measurement twice and keeps the second, warm run.
StudyResult measureStudy(const std::string& name, const std::string& root, int sets, int volumes) {
    StudyResult result;
    result.name = name;
    result.sets = sets;
    result.volumes = volumes;
    const studygen::StudyPlan plan = studyPlan(sets, volumes);
    const ChildMeasure generated = measureInChild([&](std::vector<double>&) {
        studygen::writeStudy(root, plan);
        return 0;
    });
    if (!generated.succeeded) throw std::runtime_error("cannot write the study under " + root);
    const std::string listPath = (fs::path(root) / plan.listName).string();
    result.stcGb = static_cast<double>(bytesOfTimeCourses(root)) / 1e9;
    std::fprintf(stderr, "%s: %d sets of %d volumes, %.2f GB of time courses\n", name.c_str(), sets, volumes,
                 result.stcGb);
    for (int round = 0; round < 2; ++round) {
        result.loading = convertStudy(listPath, sets, true);
        result.production = convertStudy(listPath, sets, false);
        result.saving = saveOutputs(outputsOf(listPath));
        if (!result.loading.succeeded || !result.production.succeeded || !result.saving.succeeded ||
            result.saving.values.size() != 2)
            throw std::runtime_error("a conversion of " + root + " failed");
    }
    return result;
}

std::string row(const StudyResult& r) {
    char text[512];
    std::snprintf(text, sizeof text,
                  "| %s | %d | %d | %.2f | %.0f / %.0f ms, %.0f MB | %.0f / %.0f ms, %.1f MB | %.0f / %.0f | "
                  "%.0f / %.0f ms | %.2f / %.2f |",
                  r.name.c_str(), r.sets, r.volumes, r.stcGb, r.loading.wallMs, r.loading.cpuMs, r.loading.peakMb,
                  r.production.wallMs, r.production.cpuMs, r.production.peakMb,
                  r.loading.wallMs / r.production.wallMs, r.loading.cpuMs / r.production.cpuMs,
                  r.saving.values[0], r.saving.values[1], r.production.wallMs / r.saving.values[0],
                  r.production.cpuMs / r.saving.values[1]);
    return text;
}

bool checkGoals(const std::vector<StudyResult>& results) {
    bool met = true;
    auto goal = [&](bool ok, const std::string& what) {
        std::printf("- %s: %s\n", ok ? "met" : "MISSED", what.c_str());
        met = met && ok;
    };
    // Time goals for the realistic study (the first); the memory goal at every volume count.
    const StudyResult& study = results.front();
    goal(study.loading.cpuMs / study.production.cpuMs >= 30.0, "loading / production processor time >= 30");
    goal(study.production.cpuMs <= 3.0 * study.saving.values[1],
         "production <= 3 x saving its .voi files (processor time)");
    for (const StudyResult& r : results)
        goal(r.production.peakMb <= 32.0,
             "production peak memory <= 32 MB at " + std::to_string(r.volumes) + " volumes");
    return met;
}

int run(const BenchOptions& options) {
    const std::string root = fs::absolute(options.root).lexically_normal().string();
    std::vector<StudyResult> results;
    const std::string main = (fs::path(root) / "study").string();
    results.push_back(measureStudy("study", main, options.sets, options.volumes));
    if (!options.keep) fs::remove_all(main);
    for (const int volumes : options.scaling) {
        const std::string folder = (fs::path(root) / ("scaling-" + std::to_string(volumes))).string();
        results.push_back(measureStudy("scaling", folder, options.scalingSets, volumes));
        if (!options.keep) fs::remove_all(folder);
    }
    if (!options.keep) fs::remove(root);

    std::printf("| Study | Sets | Volumes | .stc GB | Loading every sample: wall / CPU, peak | "
                "Production: wall / CPU, peak | Ratio wall / CPU | Saving the .voi files: wall / CPU | "
                "Production / saving, wall / CPU |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const StudyResult& r : results) std::printf("%s\n", row(r).c_str());
    std::printf("\nSecond (warm) run of each; every conversion in a child process of its own.\n\n");
    return checkGoals(results) ? 0 : 3;
}

}  // namespace
}  // namespace zandrel::bench

int main(int argc, char** argv) {
    zandrel::bench::BenchOptions options;
    options.root = (std::filesystem::path(argv[0]).parent_path() / "study-bench").string();
    CLI::App app{"Whole conversions of generated studies: loading every time-course sample against the "
                 "production conversion, and against saving the .voi files"};
    app.add_option("--sets", options.sets, "sets of the main study")->check(CLI::Range(1, 1000));
    app.add_option("--volumes", options.volumes, "volumes of the main study")->check(CLI::Range(1, 5000));
    app.add_option("--scaling", options.scaling, "volume counts of the scaling runs")->delimiter(',');
    app.add_option("--scaling-sets", options.scalingSets, "sets of each scaling study")->check(CLI::Range(1, 1000));
    app.add_option("--root", options.root, "folder for the generated studies");
    app.add_flag("--keep", options.keep, "keep the generated studies");
    CLI11_PARSE(app, argc, argv);
    try {
        return zandrel::bench::run(options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zandrel_study_bench: %s\n", error.what());
        return 1;
    }
}
