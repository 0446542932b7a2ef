#include <iostream>

#include "cli/commands.h"

namespace zandrel::cli {

const char* chainHelp() { return "zandrel chain: not available yet\n"; }

int runChain(const std::vector<std::string>&) {
    std::cerr << "zandrel: the chain command is not available yet\n";
    return kUsage;
}

}  // namespace zandrel::cli
