#include <iostream>

#include "cli/commands.h"

namespace zandrel::cli {

const char* convertHelp() { return "zandrel convert: not available yet\n"; }

int runConvert(const std::vector<std::string>&) {
    std::cerr << "zandrel: the convert command is not available yet\n";
    return kUsage;
}

}  // namespace zandrel::cli
