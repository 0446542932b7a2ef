// The `zandrel` command line: parses the words into one command's options and runs that
// command's body. This is the single catch site of the command line: no input may crash it.
#include <exception>
#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "zandrel/version.h"

namespace zandrel::cli {
namespace {

const char* const kDescription =
    "Converts regions of interest drawn on functional MR slices into volumes of\n"
    "interest on the 256 x 256 x 256 anatomical grid, in ACPC or Talairach space.";

const char* const kFooter =
    "Run 'zandrel help COMMAND' or 'zandrel COMMAND --help' for a command's options.\n"
    "\n"
    "Exit status:\n"
    "  0  success\n"
    "  1  the command failed (each command's help says when)\n"
    "  2  usage error\n";

// CLI11's layout with a blank line between a command's description and its usage line.
class HelpFormatter : public CLI::Formatter {
public:
    std::string make_description(const CLI::App* app) const override {
        const std::string description = CLI::Formatter::make_description(app);
        return description.empty() ? description : description + "\n";
    }
};

std::string commandName(const CLI::App& command) {
    return command.get_parent() == nullptr ? "zandrel" : "zandrel " + command.get_name();
}

int usageError(const CLI::App& command, const std::string& message) {
    const std::string helpWords = command.get_parent() == nullptr ? "zandrel --help" : "zandrel help " + command.get_name();
    std::cerr << commandName(command) << ": " << message << "; try '" << helpWords << "'\n";
    return kUsage;
}

// The subcommand that was being parsed, or the program itself.
const CLI::App& parsedCommand(const CLI::App& zandrel) {
    const auto chosen = zandrel.get_subcommands();
    return chosen.empty() ? zandrel : *chosen.front();
}

// `zandrel help [COMMAND]`: the help of the program or of one command, on standard output.
int showHelp(const CLI::App& zandrel, const std::string& topic) {
    if (topic.empty()) {
        std::cout << zandrel.get_formatter()->make_help(&zandrel, "zandrel", CLI::AppFormatMode::Normal);
        return kSuccess;
    }
    for (const CLI::App* command : zandrel.get_subcommands([](const CLI::App*) { return true; })) {
        if (command->get_name() == topic) {
            std::cout << command->help("zandrel");
            return kSuccess;
        }
    }
    std::cerr << "zandrel help: unknown command '" << topic << "'; try 'zandrel --help'\n";
    return kUsage;
}

int runCommandLine(int argc, char** argv) {
    CLI::App zandrel(kDescription, "zandrel");
    auto formatter = std::make_shared<HelpFormatter>();
    formatter->column_width(kHelpColumnWidth);
    zandrel.formatter(formatter);
    zandrel.set_version_flag("--version", std::string("zandrel ") + kVersion + "\n" + featureList(), "show the version");
    zandrel.set_help_flag("-h,--help", "show this text");
    zandrel.footer(kFooter);
    zandrel.require_subcommand(0, 1);
    std::vector<Command> commands = addCommands(zandrel);
    for (Command& command : commands) command.app->set_help_flag("-h,--help", "show this text");

    std::string helpTopic;
    CLI::App* help = zandrel.add_subcommand("help", "show the help of a command");
    help->add_option("COMMAND", helpTopic, "the command");
    help->set_help_flag("-h,--help", "show this text");

    if (argc <= 1) {
        std::cerr << zandrel.help();
        return kUsage;
    }
    try {
        zandrel.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help and version end parsing with exit status 0 and print to standard output.
        if (error.get_exit_code() == 0) return zandrel.exit(error);
        return usageError(parsedCommand(zandrel), error.what());
    }

    if (help->parsed()) return showHelp(zandrel, helpTopic);
    for (const Command& command : commands) {
        if (!command.app->parsed()) continue;
        try {
            return command.run();
        } catch (const UsageError& error) {
            return usageError(*command.app, error.what());
        }
    }
    return usageError(zandrel, "no command given");
}

}  // namespace
}  // namespace zandrel::cli

int main(int argc, char** argv) {
    try {
        return zandrel::cli::runCommandLine(argc, argv);
    } catch (const std::bad_alloc&) {
        std::cerr << "zandrel: out of memory\n";
    } catch (const std::exception& error) {
        std::cerr << "zandrel: " << error.what() << "\n";
    } catch (...) {
        std::cerr << "zandrel: unexpected error\n";
    }
    return zandrel::cli::kFailure;
}
