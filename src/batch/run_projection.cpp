#include "batch/run_projection.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>

#include "batch/batch_interrupt.h"
#include "batch/log_wording.h"
#include "batch/run_list_reader.h"
#include "batch/set_check.h"
#include "batch/set_containment.h"
#include "batch/set_reader.h"
#include "formats/shortfall.h"
#include "runs/voi_fit.h"
#include "voi/voi_reader.h"

namespace zandrel {

namespace {

bool openList(const std::string& listPath, std::ifstream& in) {
    if (!canOpenForReading(listPath)) return false;
    in.open(listPath, std::ios::in | std::ios::binary);
    return in.is_open() && in.good();
}

void reportEmptySelections(const ProjectedRun& run, double minOccupancy, BatchObserver& observer) {
    for (std::size_t index = 0; index < run.footprint.vois.size(); ++index) {
        const VoiFootprint& voi = run.footprint.vois[index];
        if (coverageOf(voi, minOccupancy).selected == 0)
            observer.onEvent(VoiSelectsNothing{run.set.voiPath, run.set.fmrPath, index, voi.name});
    }
}

SetOutcome projectOneSet(const RunSet& set, BatchObserver& observer, const ProjectOptions& options,
                         const ProjectedRunWriter& write) {
    if (!checkRunSet(set, observer)) return SetOutcome::reported;
    const ProjectedRun run = projectRunSet(set, options.outputDir);
    if (options.dryRun) {
        observer.onEvent(SetWouldProject{set.voiPath, set.fmrPath, run.outputStem});
    } else {
        write(run, options);
        observer.onEvent(SetProjected{set.voiPath, set.fmrPath});
    }
    reportEmptySelections(run, options.minOccupancy, observer);
    return SetOutcome::converted;
}

}  // namespace

FileSet framingSet(const RunSet& set) {
    return FileSet{set.voiPath, set.fmrPath, set.iaTrfPath, set.faTrfPath, set.acpcTrfPath, set.talPath};
}

std::string projectionStem(const RunSet& set, const std::string& outputDir) {
    const std::filesystem::path fmr(set.fmrPath);
    const std::filesystem::path voi(set.voiPath);
    const std::filesystem::path folder = outputDir.empty() ? fmr.parent_path() : std::filesystem::path(outputDir);
    const std::string name = fmr.stem().string() + "_" + voi.stem().string();
    return (folder / name).string();
}

ProjectedRun projectRunSet(const RunSet& set, const std::string& outputDir) {
    return projectVoiFile(readVoiFile(set.voiPath).file, set, outputDir);
}

ProjectedRun projectVoiFile(VoiFile voi, const RunSet& set, const std::string& outputDir) {
    ProjectedRun run;
    run.set = set;
    run.voi = std::move(voi);
    FileSet chainFiles = framingSet(set);
    ChainRecords records = readChainRecords(chainFiles);
    TalRecord tal;
    if (!set.talPath.empty()) {
        tal = readTalFile(set.talPath);
        const std::string refusal = talLandmarkRefusal(tal);
        if (!refusal.empty()) throw std::runtime_error(refusal);
    }
    run.chain = computeSetChain(records.fmr, records.ia, records.fa, records.acpc, tal);
    requireUsable(run.chain);
    if (const std::optional<std::string> mismatch = spaceMismatch(run.voi, run.chain))
        throw std::runtime_error(*mismatch);
    run.fmr = std::move(records.fmr);
    run.footprint = computeFootprint(run.voi, run.chain, run.fmr);
    run.outputStem = projectionStem(set, outputDir);
    return run;
}

BatchSummary runProjection(const std::string& listPath, BatchObserver& observer, const ProjectOptions& options,
                           const ProjectedRunWriter& write) {
    BatchSummary summary;
    std::ifstream in;
    if (!openList(listPath, in)) {
        summary.listReadable = false;
        return summary;
    }
    RunListReader reader(in);
    RunSet set;
    while (reader.next(set)) {
        if (interruptBeforeSet(options.stop, reader, set, summary, observer)) break;
        const FileSet framing = framingSet(set);
        SetResult result;
        result.setNumber = summary.setsFound + 1;
        observer.onSetStarted(result.setNumber, framing);
        result.outcome =
            containSetErrors([&] { return projectOneSet(set, observer, options, write); }, result.message,
                             &result.reason);
        summary.add(result.outcome);
        if (result.outcome == SetOutcome::failed)
            observer.onEvent(ProjectionFailed{set.voiPath, set.fmrPath, result.message, result.reason});
        else if (result.outcome == SetOutcome::converted)
            result.outputPath = projectionStem(set, options.outputDir) + ".roi";
        observer.onSetFinished(framing, result);
    }
    return summary;
}

int countRunSets(const std::string& listPath) {
    std::ifstream in;
    if (!openList(listPath, in)) return 0;
    RunListReader reader(in);
    RunSet set;
    int count = 0;
    while (reader.next(set)) ++count;
    return count;
}

}  // namespace zandrel
