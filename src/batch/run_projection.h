#pragma once

#include <functional>
#include <string>

#include "batch/batch_observer.h"
#include "batch/run_set.h"
#include "batch/set_outcome.h"
#include "batch/stop_request.h"
#include "runs/footprint.h"

namespace zandrel {

// How the VOIs of a run list are placed on their runs.
struct ProjectOptions {
    double minOccupancy = 0.5;  // a cell is selected when the VOI fills at least this share
    bool dryRun = false;        // check and describe sets, write nothing
    std::string outputDir;      // where the set's files go; empty: beside the FMR file
    const StopRequest* stop = nullptr;  // checked before each set; null: the batch always runs to its end
};

// All that placing one run set produced, for the writers of its files.
struct ProjectedRun {
    RunSet set;
    VoiFile voi;           // the .voi file as read
    FmrHeader fmr;         // the run's header (no time-course samples)
    SetChain chain;        // the run's chain, usable
    Footprint footprint;   // every VOI of the file on the run
    std::string outputStem;  // "<folder>/<fmr stem>_<voi stem>": each file adds its suffix
};

// "<folder>/<fmr stem>_<voi stem>", the folder that of the FMR file or `outputDir` when given;
// a stem is the file name without its last extension.
std::string projectionStem(const RunSet& set, const std::string& outputDir);

// Reads the run set's records (the .voi, the FMR header, IA, FA and ACPC with the refusals of
// the set reader, the TAL file when named), computes the run's chain, refuses an unusable
// chain and a VOI file that does not fit the run (spaceMismatch), and computes the footprint.
// Throws std::runtime_error with the reader's or the refusal's text; std::bad_alloc.
ProjectedRun projectRunSet(const RunSet& set, const std::string& outputDir = {});

// The same for a .voi file already in memory (read, or converted and not saved): `voi` stands
// for set.voiPath, which is not read; the run's records are read and refused as above.
ProjectedRun projectVoiFile(VoiFile voi, const RunSet& set, const std::string& outputDir = {});

// Writes the files of one projected set; throws std::runtime_error when one cannot be
// written, having replaced none of them.
using ProjectedRunWriter = std::function<void(const ProjectedRun&, const ProjectOptions&)>;

// Runs the batch of a run list as runBatch runs a conversion list: each set framed by
// onSetStarted (with the set's paths as a FileSet, the .voi in roiPath) and onSetFinished,
// its files checked (RunFilesNotLoaded: outcome `reported`), then placed and written by
// `write`; then SetProjected and one VoiSelectsNothing per VOI that selects no cell. With
// options.dryRun, SetWouldProject instead and nothing written. A refused or failed set is
// reported as ProjectionFailed (outcome `failed`) and the batch goes on; every error of a set
// is contained, lack of memory included. A stop request in options.stop ends the batch before
// the next set, as runBatch does. A list that cannot be opened gives
// listReadable = false and reports nothing.
BatchSummary runProjection(const std::string& listPath, BatchObserver& observer, const ProjectOptions& options,
                           const ProjectedRunWriter& write);

// The number of run sets the list forms, for progress totals; 0 when it cannot be read.
int countRunSets(const std::string& listPath);

// A run set's paths in the FileSet that observers are framed with: the .voi in roiPath.
FileSet framingSet(const RunSet& set);

}  // namespace zandrel
