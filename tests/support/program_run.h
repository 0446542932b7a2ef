#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace zandrel::test {

// Exit status, captured output and resource use of one run of a program.
struct ProgramRun {
    int status = -1;          // exit code, or -1 when the program did not exit normally
    int signal = 0;           // the signal that ended the program, 0 when it exited
    std::string out;
    std::string err;
    double seconds = 0.0;     // wall time
    double cpuSeconds = 0.0;  // processor time, user and system
    long peakKilobytes = 0;   // peak resident memory of the program
};

// Limits put on the program before it starts.
struct ProgramLimits {
    // Address-space limit in bytes; 0 for none. Skipped in sanitizer builds, whose shadow
    // memory reserves far more address space than the program uses.
    unsigned long long addressSpaceBytes = 0;
    // Processor-time limit in seconds: a hang ends the program instead of the test run.
    unsigned cpuSeconds = 300;
};

// Runs `executable` (a path, or a name looked up on PATH) with `args`, in `workDir` when it
// is not empty, without a shell: standard input from /dev/null (so no terminal progress is
// shown), both output streams captured. POSIX only.
ProgramRun runProgram(const std::string& executable, const std::vector<std::string>& args,
                      const std::string& workDir = "", const ProgramLimits& limits = {});

// A program started as runProgram starts it and not yet waited for, so that a test can act
// on it while it runs (send it a signal, say).
struct StartedProgram {
    int pid = -1;
    std::FILE* out = nullptr;
    std::FILE* err = nullptr;
    double startSeconds = 0.0;  // on the steady clock
};
StartedProgram startProgram(const std::string& executable, const std::vector<std::string>& args,
                            const std::string& workDir = "", const ProgramLimits& limits = {});
// Waits for the program to end and gives its run; the capture files are closed.
ProgramRun waitForProgram(StartedProgram& program);


}  // namespace zandrel::test
