// The `zandrel` command line: parses the words into one command's options and runs that
// command's body. This is the single catch site of the command line: no input may crash it.
#include <algorithm>
#include <exception>
#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "io/file_error.h"
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
    "  2  usage error\n"
    "  130  a batch was interrupted (Ctrl-C, SIGINT, SIGTERM) before its last set\n";

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

// Edits (insertions, deletions, substitutions, swaps of neighbours) that turn `a` into `b`.
std::size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

// The command a mistyped word most likely meant: the only one it begins, or the nearest
// within two edits; empty when none is near.
std::string closestCommand(const std::string& word, const std::vector<std::string>& names) {
    std::string begun;
    int begins = 0;
    for (const std::string& name : names) {
        if (word.size() >= 2 && name.compare(0, word.size(), word) == 0) {
            begun = name;
            ++begins;
        }
    }
    if (begins == 1) return begun;
    std::string nearest;
    std::size_t best = 3;
    for (const std::string& name : names) {
        const std::size_t distance = editDistance(word, name);
        if (distance < best) {
            best = distance;
            nearest = name;
        }
    }
    return nearest;
}

// A first word that names no command: CLI11 would take it for a stray argument.
int unknownCommand(const std::string& word, const std::vector<std::string>& names) {
    const std::string closest = closestCommand(word, names);
    std::cerr << "zandrel: unknown command '" << word << "'";
    if (closest.empty()) std::cerr << "; try 'zandrel --help'\n";
    else std::cerr << "; did you mean '" << closest << "'?\n";
    return kUsage;
}

// `commandName` receives "zandrel <command>" once a command runs, for the messages of the
// errors that leave it.
int runCommandLine(int argc, char** argv, std::string& commandName) {
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
    const std::string first = argv[1];
    if (!first.empty() && first[0] != '-') {
        std::vector<std::string> names{"help"};
        for (const Command& command : commands) names.push_back(command.app->get_name());
        if (std::find(names.begin(), names.end(), first) == names.end()) return unknownCommand(first, names);
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
        commandName = "zandrel " + command.app->get_name();
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
    std::string commandName = "zandrel";
    try {
        return zandrel::cli::runCommandLine(argc, argv, commandName);
    } catch (const std::bad_alloc&) {
        std::cerr << commandName << ": out of memory\n";
    } catch (const zandrel::FileError& error) {
        std::cerr << commandName << ": " << zandrel::withReason(error.what(), error.reason()) << "\n";
    } catch (const std::exception& error) {
        std::cerr << commandName << ": " << error.what() << "\n";
    } catch (...) {
        std::cerr << commandName << ": unexpected error\n";
    }
    return zandrel::cli::kFailure;
}
