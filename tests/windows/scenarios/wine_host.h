#pragma once

#include <filesystem>
#include <string>

#include "scenarios/transcript_reader.h"

namespace zandrel::wintest {

// Paths of the cross build and the tools, fixed when the tests are configured.
std::string windowsBuildDir();
std::string pluginDll();      // the packaged Zandrel.dll, as it ships
std::string hostExecutable(); // GyrafexZN.exe
std::string commandLineExecutable();  // the packaged zandrel.exe, as it ships

// The Windows form of a Linux absolute path on Wine's drive Z:, which maps to "/":
// "/tmp/a/b.txt" becomes "Z:\tmp\a\b.txt".
std::string windowsPath(const std::filesystem::path& path);

// Runs a command line through the shell, its output going to `outputFile`, and returns its
// exit status (-1 when it did not exit normally).
int runCommand(const std::string& command, const std::string& outputFile);

// Everything read back from the output file, for failure messages.
std::string commandOutput(const std::string& outputFile);

// The shell command that starts the Windows `program` under Wine in `workDir`, with the
// tests' private prefix; a hung process is ended after two minutes rather than blocking the
// whole test run. Arguments follow, each through shellQuoted().
std::string wineCommand(const std::filesystem::path& workDir, const std::filesystem::path& program);

// One run of the host emulator under Wine in `workDir`.
struct HostRun {
    std::string version = "2.8.0";
    std::filesystem::path listFile;   // what the file dialog returns (Windows form is used)
    bool cancelDialog = false;
    std::string hostName = "GyrafexZN.exe";  // another name copies the emulator first
    std::string locale;                      // C locale the host sets before loading the DLL
};

struct HostResult {
    int exitStatus = -1;
    Transcript transcript;
    std::string output;  // Wine's and the emulator's own output
};

HostResult runHost(const std::filesystem::path& workDir, const HostRun& run);

// Shell quoting for one argument.
std::string shellQuoted(const std::string& text);

}  // namespace zandrel::wintest
