#pragma once

#include <string>
#include <vector>

namespace zandrel::test {

// What one run of the command line gave.
struct CliRun {
    int exitStatus = -1;      // exit code, or -1 when the process did not exit normally
    int signal = 0;           // the signal that ended the process, 0 when it exited
    std::string standardOutput;
    std::string standardError;
    double seconds = 0.0;     // wall time
    double cpuSeconds = 0.0;  // processor time, user and system
    long peakKilobytes = 0;   // peak resident memory of the process
};

// Limits put on the process before it starts.
struct CliLimits {
    // Address-space limit in bytes; 0 for none. Skipped in sanitizer builds, whose
    // shadow memory reserves far more address space than the program uses.
    unsigned long long addressSpaceBytes = 1ull << 30;
    // Processor-time limit in seconds: a hang ends the process instead of the test run.
    unsigned cpuSeconds = 60;
};

// Runs `executable` with `arguments` in the folder `workingDirectory`, with standard
// input closed and both outputs captured. POSIX only.
CliRun runCli(const std::string& executable, const std::vector<std::string>& arguments,
              const std::string& workingDirectory, const CliLimits& limits = {});

}  // namespace zandrel::test
