#include <iostream>

#include "cli/commands.h"

namespace zandrel::cli {

const char* inspectHelp() { return "zandrel inspect: not available yet\n"; }

int runInspect(const std::vector<std::string>&) {
    std::cerr << "zandrel: the inspect command is not available yet\n";
    return kUsage;
}

}  // namespace zandrel::cli
