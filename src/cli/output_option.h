#pragma once

// The options of the output kinds (outputs/output_kinds.h) on `convert` and `export`.
// Declared in every build, so that help lists every option everywhere; a kind that is not
// built in answers with one line when it is asked for.
#include <string>

#include <CLI/CLI.hpp>

#include "outputs/output_kinds.h"

namespace zandrel::cli {

// Declares the kind's option on `command`, bound to `value`, with `help`. An option with an
// implicit value ("--nifti" means "--nifti labels") may be given without one; not given,
// `value` stays as it is.
CLI::Option* addOutputOption(CLI::App& command, const OutputKind& kind, std::string& value, const std::string& help);

// Prints "zandrel <command>: <what> is not available in this build (built without ...)" on
// standard error and returns the usage exit status.
int outputUnavailable(const std::string& command, const OutputKind& kind, const std::string& what);

}  // namespace zandrel::cli
