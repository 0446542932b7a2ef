#include "cli/output_option.h"

#include <iostream>

#include "cli/command.h"

namespace zandrel::cli {

CLI::Option* addOutputOption(CLI::App& command, const OutputKind& kind, std::string& value, const std::string& help) {
    CLI::Option* option = command.add_option(kind.option, value, help)->type_name(kind.valueName);
    if (!kind.implicitValue.empty()) option->expected(0, 1)->default_str(kind.implicitValue);
    if (!kind.values.empty()) option->check(CLI::IsMember(kind.values));
    else option->check(nonEmpty(kind.valueNeeds));
    return option;
}

int outputUnavailable(const std::string& command, const OutputKind& kind, const std::string& what) {
    std::cerr << "zandrel " << command << ": " << kind.unavailableText(what) << "\n";
    return kUsage;
}

}  // namespace zandrel::cli
