#include "child_measure.h"

#include <cstdio>
#include <exception>

#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace zandrel::bench {

namespace {

double clockMilliseconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

double toMilliseconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_usec) * 1e-3;
}

}  // namespace

double wallMilliseconds() { return clockMilliseconds(CLOCK_MONOTONIC); }
double cpuMilliseconds() { return clockMilliseconds(CLOCK_PROCESS_CPUTIME_ID); }

ChildMeasure measureInChild(const std::function<int(std::vector<double>&)>& work) {
    ChildMeasure measure;
    int channel[2];
    if (pipe(channel) != 0) return measure;
    std::fflush(nullptr);  // nothing buffered is printed twice
    const double start = wallMilliseconds();
    const pid_t child = fork();
    if (child < 0) {
        close(channel[0]);
        close(channel[1]);
        return measure;
    }
    if (child == 0) {
        close(channel[0]);
        std::vector<double> values;
        int status = 1;
        try {
            status = work(values);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "work failed: %s\n", error.what());
        }
        const ssize_t bytes = static_cast<ssize_t>(values.size() * sizeof(double));
        if (bytes > 0 && write(channel[1], values.data(), static_cast<size_t>(bytes)) != bytes) status = 1;
        close(channel[1]);
        _exit(status);
    }
    close(channel[1]);
    double value = 0.0;
    while (read(channel[0], &value, sizeof value) == static_cast<ssize_t>(sizeof value)) measure.values.push_back(value);
    close(channel[0]);
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return measure;
    measure.wallMs = wallMilliseconds() - start;
    measure.succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    measure.cpuMs = toMilliseconds(usage.ru_utime) + toMilliseconds(usage.ru_stime);
    measure.peakMb = static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
    return measure;
}

}  // namespace zandrel::bench
