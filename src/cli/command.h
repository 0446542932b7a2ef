#pragma once

// What every command of `zandrel` shares: exit statuses, the usage error a body may raise,
// and the pairing of a declared subcommand with its body.
#include <functional>
#include <stdexcept>
#include <string>

#include <CLI/CLI.hpp>

namespace zandrel::cli {

// Exit statuses shared by every command. A batch that Ctrl-C (SIGINT, SIGTERM) stopped
// between two sets ends with kInterrupted, what shells report for a run ended by Ctrl-C.
enum ExitStatus { kSuccess = 0, kFailure = 1, kUsage = 2, kInterrupted = 130 };

// A usage error found after parsing (an option that does not fit the file given, say). The
// command line reports it like a parse error: one line on standard error, exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One command: its subcommand of `zandrel`, with every option declared and bound to the
// command's options struct, and the body to run with the parsed options, which returns the
// exit status. Bodies print results to standard output and errors to standard error;
// reader errors are left to the command line's single catch site (exit status 1).
struct Command {
    CLI::App* app = nullptr;
    std::function<int()> run;
};

// Refuses an empty value of a file or folder option ("--transcript=", say), naming what
// the option needs: "a file name", "a folder name".
inline CLI::Validator nonEmpty(const std::string& what) {
    return CLI::Validator(
        [what](const std::string& value) { return value.empty() ? "needs " + what : std::string(); }, "",
        "non-empty");
}

// Refuses a --min-occupancy value that is not a number from 0 to 1 (NaN included, which a
// range check would let through).
inline CLI::Validator occupancyThreshold() {
    return CLI::Validator(
        [](const std::string& value) {
            double number = 0.0;
            const bool ok = CLI::detail::lexical_cast(value, number) && number >= 0.0 && number <= 1.0;
            return ok ? std::string() : "needs a number from 0 to 1";
        },
        "", "0..1");
}

// Help layout of every command: the width of the option column.
constexpr std::size_t kHelpColumnWidth = 24;

}  // namespace zandrel::cli
