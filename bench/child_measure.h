#pragma once
// Runs a piece of work in a child process and measures it from outside: wall time around
// fork and wait, and the child's processor time and peak resident memory from wait4. Each
// measurement thus holds the memory of its own work only. The work may hand a few numbers
// back through a pipe (its own inner timings).

#include <functional>
#include <vector>

namespace zandrel::bench {

struct ChildMeasure {
    bool succeeded = false;     // the child exited with status 0
    double wallMs = 0.0;        // fork to wait4
    double cpuMs = 0.0;         // user + system time of the child
    double peakMb = 0.0;        // ru_maxrss of the child
    std::vector<double> values; // what the work reported
};

// `work` runs in the child and returns its exit status; it may append numbers to its
// argument, which reach the parent in ChildMeasure::values.
ChildMeasure measureInChild(const std::function<int(std::vector<double>&)>& work);

// Wall and processor clocks in milliseconds, for timings inside a child.
double wallMilliseconds();
double cpuMilliseconds();

}  // namespace zandrel::bench
