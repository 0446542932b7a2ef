#pragma once

#include <string>

#include "batch/run_projection.h"

namespace zandrel::cli {

// `zandrel project LIST [options]`, parsed.
struct ProjectArguments {
    std::string listPath;
    std::string transcriptPath;  // empty: no transcript
    ProjectOptions projection;   // --min-occupancy, --dry-run, --output-dir
    bool nifti = false;          // --nifti: occupancy images and their sidecars too
};

// Places the VOIs of the run list on their runs and prints what the batch reports; returns
// the exit status.
int runProject(const ProjectArguments& arguments);

}  // namespace zandrel::cli
