// The `zandrel` command line: dispatches to one command per subsystem.
// This is the single catch site of the command line: no input may crash it.
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/build_features.h"
#include "cli/commands.h"

namespace {

const char* const kUsageText =
    "Usage: zandrel COMMAND [ARGS...]\n"
    "\n"
    "Converts regions of interest drawn on functional MR slices into volumes of\n"
    "interest on the 256 x 256 x 256 anatomical grid, in ACPC or Talairach space.\n"
    "\n"
    "Commands:\n"
    "  convert LIST [options]    run the batch conversion of a list file\n"
    "  inspect FILE [options]    print an .fmr, .roi, .trf or .tal file as JSON\n"
    "  chain FMR IA FA ACPC      print the chain matrix of a set and its factors\n"
    "  help COMMAND              show the help of a command\n"
    "\n"
    "Options:\n"
    "  --help                    show this text\n"
    "  --version                 show the version\n";

const char* helpOf(const std::string& command) {
    if (command == "convert") return zandrel::cli::convertHelp();
    if (command == "inspect") return zandrel::cli::inspectHelp();
    if (command == "chain") return zandrel::cli::chainHelp();
    return nullptr;
}

int dispatch(const std::vector<std::string>& words) {
    using namespace zandrel::cli;
    if (words.empty()) {
        std::cerr << kUsageText;
        return kUsage;
    }
    const std::string& command = words.front();
    const std::vector<std::string> rest(words.begin() + 1, words.end());
    if (command == "--help" || command == "-h") {
        std::cout << kUsageText;
        return kSuccess;
    }
    if (command == "--version") {
        std::cout << "zandrel 1.4\n" << featureList() << "\n";
        return kSuccess;
    }
    if (command == "help") {
        if (rest.empty()) {
            std::cout << kUsageText;
            return kSuccess;
        }
        if (const char* text = helpOf(rest.front())) {
            std::cout << text;
            return kSuccess;
        }
        std::cerr << "zandrel: unknown command '" << rest.front() << "'; try 'zandrel --help'\n";
        return kUsage;
    }
    if (command == "convert") return runConvert(rest);
    if (command == "inspect") return runInspect(rest);
    if (command == "chain") return runChain(rest);
    std::cerr << "zandrel: unknown command '" << command << "'; try 'zandrel --help'\n";
    return kUsage;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return dispatch(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::bad_alloc&) {
        std::cerr << "zandrel: out of memory\n";
    } catch (const std::exception& error) {
        std::cerr << "zandrel: " << error.what() << "\n";
    } catch (...) {
        std::cerr << "zandrel: unexpected error\n";
    }
    return zandrel::cli::kFailure;
}
