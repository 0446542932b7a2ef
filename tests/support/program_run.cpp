#include "program_run.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zandrel::test {

namespace {

std::string slurp(std::FILE* file) {
    std::string content;
    std::rewind(file);
    char buffer[65536];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, n);
    return content;
}

// Runs in the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void execChild(const char* executable, char* const* argv, const char* directory, int out, int err,
                            const ProgramLimits& limits) {
    const int nothing = ::open("/dev/null", O_RDONLY);
    if (nothing < 0 || ::dup2(nothing, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
    if (directory[0] != '\0' && ::chdir(directory) != 0) ::_exit(126);
#ifndef ZANDREL_SANITIZE
    if (limits.addressSpaceBytes != 0) {
        const rlimit space{static_cast<rlim_t>(limits.addressSpaceBytes), static_cast<rlim_t>(limits.addressSpaceBytes)};
        if (::setrlimit(RLIMIT_AS, &space) != 0) ::_exit(126);
    }
#endif
    const rlimit cpu{static_cast<rlim_t>(limits.cpuSeconds), static_cast<rlim_t>(limits.cpuSeconds)};
    if (::setrlimit(RLIMIT_CPU, &cpu) != 0) ::_exit(126);
    ::execvp(executable, argv);
    ::_exit(127);
}

}  // namespace

namespace {

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

StartedProgram startProgram(const std::string& executable, const std::vector<std::string>& args,
                            const std::string& workDir, const ProgramLimits& limits) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    if (out == nullptr || err == nullptr) {
        if (out != nullptr) std::fclose(out);
        if (err != nullptr) std::fclose(err);
        throw std::runtime_error("cannot create capture files");
    }

    std::vector<std::string> words;
    words.push_back(executable);
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    std::fflush(nullptr);  // nothing buffered in the test is written twice by the child
    StartedProgram program;
    program.startSeconds = steadySeconds();
    const pid_t child = ::fork();
    if (child < 0) {
        std::fclose(out);
        std::fclose(err);
        throw std::runtime_error("fork failed");
    }
    if (child == 0) execChild(executable.c_str(), argv.data(), workDir.c_str(), ::fileno(out), ::fileno(err), limits);
    program.pid = child;
    program.out = out;
    program.err = err;
    return program;
}

ProgramRun waitForProgram(StartedProgram& program) {
    int status = 0;
    rusage usage{};
    while (::wait4(program.pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) throw std::runtime_error("waiting for a program failed");
    }
    ProgramRun run;
    run.seconds = steadySeconds() - program.startSeconds;
    run.peakKilobytes = usage.ru_maxrss;
    run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    if (WIFEXITED(status)) run.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
    run.out = slurp(program.out);
    run.err = slurp(program.err);
    std::fclose(program.out);
    std::fclose(program.err);
    program.out = program.err = nullptr;
    program.pid = -1;
    return run;
}

ProgramRun runProgram(const std::string& executable, const std::vector<std::string>& args, const std::string& workDir,
                      const ProgramLimits& limits) {
    StartedProgram program = startProgram(executable, args, workDir, limits);
    return waitForProgram(program);
}

}  // namespace zandrel::test
