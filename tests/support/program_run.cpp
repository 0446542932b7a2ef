#include "program_run.h"

#include <cstdlib>
#include <sys/wait.h>

namespace zandrel::test {

std::string shellQuoted(const std::string& word) {
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

ProgramRun runProgram(const std::string& executable, const std::vector<std::string>& args,
                      const TempDir& scratch, const std::string& workDir) {
    std::string command;
    if (!workDir.empty()) command = "cd " + shellQuoted(workDir) + " && ";
    command += shellQuoted(executable);
    for (const std::string& arg : args) command += " " + shellQuoted(arg);
    const std::string out = scratch.file("program-stdout.txt");
    const std::string err = scratch.file("program-stderr.txt");
    command += " >" + shellQuoted(out) + " 2>" + shellQuoted(err) + " </dev/null";
    ProgramRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = readFile(out);
    run.err = readFile(err);
    return run;
}

}  // namespace zandrel::test
