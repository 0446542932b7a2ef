#pragma once

#include <string>

namespace zandrel {

// The six file paths of one data set, each the list's path prefix followed by the
// list line that named the file; empty when the set names no file of that kind.
struct FileSet {
    std::string roiPath;
    std::string fmrPath;
    std::string iaTrfPath;
    std::string faTrfPath;
    std::string acpcTrfPath;
    std::string talPath;
};

}  // namespace zandrel
