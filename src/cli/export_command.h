#pragma once

#include <string>
#include <vector>

namespace zandrel::cli {

// `zandrel export FILE.voi... [--nifti labels|masks] [--output-dir DIR]`, parsed.
struct ExportArguments {
    std::vector<std::string> paths;
    std::string nifti = "labels";
    std::string outputDir;  // empty: beside each .voi
};

// Writes the NIfTI images, table and sidecar of every .voi file; returns the exit status.
int runExport(const ExportArguments& arguments);

}  // namespace zandrel::cli
