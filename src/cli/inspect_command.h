#pragma once

#include <string>

namespace zandrel::cli {

// `zandrel inspect FILE [--type TYPE] [--data] [--voxels]`, parsed.
struct InspectOptions {
    std::string path;
    std::string type;  // fmr, roi, trf, tal or voi; empty: from the file's extension
    bool withData = false;
    bool withVoxels = false;
};

// Prints the file's record as one JSON object; returns the exit status. Throws UsageError
// when the type cannot be told or does not fit --data, and the readers' errors.
int runInspect(const InspectOptions& options);

}  // namespace zandrel::cli
