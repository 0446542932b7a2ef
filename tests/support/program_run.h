#pragma once

#include <string>
#include <vector>

#include "temp_dir.h"

namespace zandrel::test {

// Exit status and captured output of one run of a program.
struct ProgramRun {
    int status = -1;  // -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// The word quoted for a POSIX shell.
std::string shellQuoted(const std::string& word);

// Runs `executable` with `args` through the shell, in `workDir` when it is not empty,
// with standard input from /dev/null (so no terminal progress is shown) and both output
// streams captured through files in `scratch`.
ProgramRun runProgram(const std::string& executable, const std::vector<std::string>& args,
                      const TempDir& scratch, const std::string& workDir = "");

}  // namespace zandrel::test
