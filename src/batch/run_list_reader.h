#pragma once

#include <istream>

#include "batch/list_reader.h"
#include "batch/run_set.h"

namespace zandrel {

// Streams the run sets of a run list. The list is a conversion list whose sets start at a
// line ending in "voi" instead of "roi": line 1 the path prefix, then per set the .voi file
// and the run's .fmr, IA.trf, FA.trf, ACPC.trf and .tal files in any order, the first line
// of each kind winning; the same trimming, classification and end-of-list rules, read by the
// same ListReader. One .voi file may start many sets, one per run.
class RunListReader {
public:
    // Reads from `in`, which must outlive the reader; open files in binary mode.
    explicit RunListReader(std::istream& in) : lines_(in, "voi") {}

    // Forms the next run set. Returns false when the list has no further set.
    bool next(RunSet& set);

private:
    ListReader lines_;
};

}  // namespace zandrel
