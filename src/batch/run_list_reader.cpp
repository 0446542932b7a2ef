#include "batch/run_list_reader.h"

namespace zandrel {

bool RunListReader::next(RunSet& set) {
    FileSet lines;
    if (!lines_.next(lines)) return false;
    // The line that starts a set is the set's first path, here the .voi file.
    set = RunSet{lines.roiPath, lines.fmrPath, lines.iaTrfPath, lines.faTrfPath, lines.acpcTrfPath, lines.talPath};
    return true;
}

}  // namespace zandrel
