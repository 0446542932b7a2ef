#include "cli/nifti_option.h"

#include <iostream>

#include "cli/command.h"

namespace zandrel::cli {

CLI::Option* addNiftiOption(CLI::App& command, std::string& mode, const std::string& description) {
    return command.add_option("--nifti", mode, description)
        ->expected(0, 1)
        ->default_str("labels")
        ->type_name("MODE")
        ->check(CLI::IsMember({"labels", "masks"}));
}

int niftiUnavailable(const std::string& command, const std::string& what) {
    std::cerr << "zandrel " << command << ": " << what << " is not available in this build (built without the NIfTI C library)\n";
    return kUsage;
}

}  // namespace zandrel::cli
