#pragma once

// The --nifti option shared by `convert` and `export`, and the answer of a build without
// the NIfTI C library. Declared in every build, so that help lists the option everywhere.
#include <string>

#include <CLI/CLI.hpp>

namespace zandrel::cli {

// Declares `--nifti [labels|masks]` on `command`, bound to `mode`. Given without a value it
// means "labels"; not given, `mode` stays as it is.
CLI::Option* addNiftiOption(CLI::App& command, std::string& mode, const std::string& description);

// Prints "zandrel <command>: <what> is not available in this build (built without the NIfTI
// C library)" on standard error and returns the usage exit status.
int niftiUnavailable(const std::string& command, const std::string& what);

}  // namespace zandrel::cli
