// The threads that draw a report's figures beside the batch: every job runs once, a job
// that throws stops only itself, and the figures and page do not depend on how many
// threads drew them.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>

#include "batch/batch_run.h"
#include "outputs/report/picture_jobs.h"
#include "outputs/report/report_observer.h"
#include "report_fixture.h"

namespace zandrel::report {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

TEST(PictureJobs, RunsEveryJobOnceAndOutlivesOneThatThrows) {
    for (const std::size_t threads : {std::size_t{1}, std::size_t{3}}) {
        std::atomic<int> runs{0};
        std::atomic<int> mostAtOnce{0};
        std::atomic<int> atOnce{0};
        PictureJobs jobs(threads, 2);
        ASSERT_EQ(jobs.threads(), threads);
        for (int n = 0; n < 40; ++n) {
            jobs.submit([&, n] {
                const int now = ++atOnce;
                int seen = mostAtOnce.load();
                while (now > seen && !mostAtOnce.compare_exchange_weak(seen, now)) {
                }
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                --atOnce;
                ++runs;
                if (n % 7 == 0) throw std::runtime_error("a failing job");
            });
        }
        jobs.wait();
        EXPECT_EQ(runs.load(), 40) << threads << " threads";
        EXPECT_LE(mostAtOnce.load(), static_cast<int>(threads)) << threads << " threads";
        // Still usable after waiting.
        jobs.submit([&] { ++runs; });
        jobs.wait();
        EXPECT_EQ(runs.load(), 41);
    }
}

TEST(PictureJobs, JobsWaitingAtDestructionStillRun) {
    std::atomic<int> runs{0};
    {
        PictureJobs jobs(1, 8);
        for (int n = 0; n < 8; ++n)
            jobs.submit([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                ++runs;
            });
    }
    EXPECT_EQ(runs.load(), 8);
}

// Runs the batch of `list` with a report into `dir` drawn by `threads` threads.
std::string reportWith(const std::string& list, const std::string& dir, std::size_t threads) {
    ReportOptions options;
    options.drawingThreads = threads;
    ReportObserver observer(dir, list, "test", false, options);
    runBatch(list, observer);
    return observer.finish();
}

// The page without the lines that differ from run to run: the date and the total time.
std::string steadyPartOf(const std::string& page) {
    return std::regex_replace(page, std::regex("<td>(Date|Total time)</td><td>[^<]*</td>"), "");
}

TEST(ReportWriter, FiguresAndPageDoNotDependOnTheDrawingThreads) {
    TempDir dir;
    const studygen::GeneratedStudy study = studygen::writeStudy(dir.file("s"), studygen::testStudyPlan(6, 23));
    fs::remove(study.subjects[2].stc);  // one set that fails between converted ones
    ASSERT_EQ(reportWith(study.listPath, dir.file("one"), 1), "");
    ASSERT_EQ(reportWith(study.listPath, dir.file("four"), 4), "");
    const std::string page = test::readText(dir.file("one/index.html"));
    EXPECT_NE(page.find("Failed opening STC for reading: "), std::string::npos);
    EXPECT_EQ(steadyPartOf(page), steadyPartOf(test::readText(dir.file("four/index.html"))));
    std::size_t figures = 0;
    for (const auto& entry : fs::directory_iterator(dir.file("one"))) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".png") continue;
        ++figures;
        EXPECT_EQ(test::readText(entry.path().string()), test::readText(dir.file("four/" + name))) << name;
    }
    EXPECT_GE(figures, 5u);
}

}  // namespace
}  // namespace zandrel::report
