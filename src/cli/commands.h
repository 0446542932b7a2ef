#pragma once

// The one place where the commands of `zandrel` are registered. A new command gets a file
// of its own (an options struct, its body runX(const XOptions&) and addXCommand, which
// declares the options on a new subcommand) and one line in addCommands.
#include <vector>

#include "cli/command.h"

namespace zandrel::cli {

Command addConvertCommand(CLI::App& zandrel);
Command addInspectCommand(CLI::App& zandrel);
Command addChainCommand(CLI::App& zandrel);
Command addExportCommand(CLI::App& zandrel);
Command addProjectCommand(CLI::App& zandrel);
Command addExtractCommand(CLI::App& zandrel);

// Declares every command on `zandrel`, in the order the help lists them.
std::vector<Command> addCommands(CLI::App& zandrel);

}  // namespace zandrel::cli
