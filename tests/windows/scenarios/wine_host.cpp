#include "scenarios/wine_host.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace zandrel::wintest {

namespace fs = std::filesystem;

std::string windowsBuildDir() { return ZANDREL_WINDOWS_BUILD_DIR; }
std::string pluginDll() { return windowsBuildDir() + "/package/Zandrel/Zandrel.dll"; }
std::string hostExecutable() { return windowsBuildDir() + "/host/GyrafexZN.exe"; }
std::string commandLineExecutable() { return windowsBuildDir() + "/package/Zandrel/zandrel.exe"; }

std::string windowsPath(const fs::path& path) {
    std::string text = fs::absolute(path).lexically_normal().string();
    for (char& c : text) {
        if (c == '/') c = '\\';
    }
    return "Z:" + text;
}

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

int runCommand(const std::string& command, const std::string& outputFile) {
    const std::string line = command + " >" + shellQuoted(outputFile) + " 2>&1 </dev/null";
    const int status = std::system(line.c_str());
    if (status == -1 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

std::string commandOutput(const std::string& outputFile) {
    std::ifstream in(outputFile, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string wineCommand(const fs::path& workDir, const fs::path& program) {
    return "cd " + shellQuoted(workDir.string()) + " && WINEPREFIX=" + shellQuoted(ZANDREL_WINE_PREFIX) +
           " WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' timeout -k 10 120 " + shellQuoted(ZANDREL_WINE) + " " +
           shellQuoted(program.string());
}

HostResult runHost(const fs::path& workDir, const HostRun& run) {
    fs::path host = hostExecutable();
    if (run.hostName != host.filename().string()) {
        const fs::path copy = workDir / run.hostName;
        fs::copy_file(host, copy, fs::copy_options::overwrite_existing);
        host = copy;
    }
    const fs::path transcript = workDir / (run.hostName + ".transcript.jsonl");
    const fs::path output = workDir / (run.hostName + ".output.txt");

    std::string command = wineCommand(workDir, host) + " --dll " + shellQuoted(windowsPath(pluginDll())) +
                          " --transcript " + shellQuoted(windowsPath(transcript)) + " --version " +
                          shellQuoted(run.version);
    if (!run.locale.empty()) command += " --locale " + shellQuoted(run.locale);
    if (run.cancelDialog) {
        command += " --cancel-dialog";
    } else {
        command += " --open-file " + shellQuoted(windowsPath(run.listFile));
    }

    HostResult result;
    result.exitStatus = runCommand(command, output.string());
    result.output = commandOutput(output.string());
    if (fs::exists(transcript)) result.transcript = readTranscript(transcript.string());
    return result;
}

}  // namespace zandrel::wintest
