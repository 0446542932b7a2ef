#pragma once
// The time courses of a .voi file's VOIs on one functional run, without writing a file: the
// footprint's selected cells at a threshold, with their occupancies, streamed through the
// run's time-course data. What `zandrel extract` writes per set and what a caller of the
// library gets back are the same numbers.

#include <string>
#include <vector>

#include "chain/set_chain.h"
#include "formats/fmr_header.h"
#include "runs/footprint.h"
#include "runs/timecourse_extract.h"
#include "voi/voi_file.h"

namespace zandrel {

// The selected cells of every VOI of `footprint` at `minOccupancy`, each with its
// occupancy, in the order of the footprint's VOIs (a VOI that selects nothing gets an
// empty selection).
std::vector<SelectedCells> selectionsOf(const Footprint& footprint, double minOccupancy);

// The series of every VOI of `footprint` and every statistic of `options`, read from the
// time-course data of `fmr` (the run the footprint was computed on). Throws what
// extractTimeSeries throws.
TimeSeriesResult extractVoiTimeSeries(const Footprint& footprint, const FmrHeader& fmr, double minOccupancy,
                                      const ExtractOptions& options);

// A .voi file on one run: where it lands, and its time courses.
struct VoiTimeCourses {
    Footprint footprint;
    TimeSeriesResult series;
};

// computeFootprint, then extractVoiTimeSeries. `chain` must be usable (requireUsable) and
// `file` must fit the run (spaceMismatch); throws what the two steps throw.
VoiTimeCourses extractVoiTimeCourses(const VoiFile& file, const SetChain& chain, const FmrHeader& fmr,
                                     double minOccupancy, const ExtractOptions& options);

// Column names for VOI names, in order: a name that repeats an earlier one gets "_2", "_3"
// and so on (its occurrence number); a suffix is raised further while the name it makes is
// taken by another column, so that every column name is distinct.
std::vector<std::string> uniqueColumnNames(const std::vector<std::string>& names);

}  // namespace zandrel
