#include "cli/commands.h"

namespace zandrel::cli {

std::vector<Command> addCommands(CLI::App& zandrel) {
    return {
        addConvertCommand(zandrel),
        addInspectCommand(zandrel),
        addChainCommand(zandrel),
        addExportCommand(zandrel),
        addProjectCommand(zandrel),
        addExtractCommand(zandrel),
    };
}

}  // namespace zandrel::cli
