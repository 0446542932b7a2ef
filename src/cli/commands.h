#pragma once

#include <string>
#include <vector>

namespace zandrel::cli {

// Exit statuses shared by every command.
enum ExitStatus { kSuccess = 0, kFailure = 1, kUsage = 2 };

// Each command receives the words after its name and returns the exit status.
// Commands print their results to standard output and their errors to standard error.
int runInspect(const std::vector<std::string>& args);
int runChain(const std::vector<std::string>& args);
int runConvert(const std::vector<std::string>& args);

// Help texts, for `zandrel help COMMAND` and `COMMAND --help`.
const char* inspectHelp();
const char* chainHelp();
const char* convertHelp();

}  // namespace zandrel::cli
