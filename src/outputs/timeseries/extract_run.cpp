#include "outputs/timeseries/extract_run.h"

#include <fstream>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "batch/log_wording.h"
#include "batch/run_list_reader.h"
#include "batch/set_check.h"
#include "chain/set_chain.h"
#include "formats/shortfall.h"
#include "formats/tal_record.h"
#include "formats/trf_record.h"
#include "io/output_file.h"
#include "outputs/runs/coverage_table.h"
#include "outputs/timeseries/timeseries_files.h"
#include "runs/voi_fit.h"
#include "runs/voi_timecourses.h"
#include "voi/voi_reader.h"

namespace zandrel {

namespace {

std::string fileStem(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

std::string baseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void refuseWhen(const std::string& refusal) {
    if (!refusal.empty()) throw std::runtime_error(refusal);
}

TrfRecord readTransformation(const std::string& path) {
    TrfRecord trf = readTrfFile(path);
    refuseWhen(trfMatrixRefusal(trf));
    return trf;
}

// Everything a run set is extracted from, read and checked in the order VOI, FMR (with its
// time-course file: name, regular file, size), IA, FA, ACPC, TAL; the chain usable and the
// VOI file fitting the run.
struct RunRecords {
    VoiFile voi;
    FmrHeader fmr;
    SetChain chain;
};

RunRecords readRunRecords(const RunSet& set) {
    RunRecords records;
    records.voi = readVoiFile(set.voiPath).file;
    records.fmr = readFmrHeader(set.fmrPath, false);
    checkTimeCourseFile(records.fmr);
    const TrfRecord ia = readTransformation(set.iaTrfPath);
    const TrfRecord fa = readTransformation(set.faTrfPath);
    const TrfRecord acpc = readTransformation(set.acpcTrfPath);
    TalRecord tal;
    if (!set.talPath.empty()) {
        tal = readTalFile(set.talPath);
        refuseWhen(talLandmarkRefusal(tal));
    }
    records.chain = computeSetChain(records.fmr, ia, fa, acpc, tal);
    requireUsable(records.chain);
    if (const std::optional<std::string> mismatch = spaceMismatch(records.voi, records.chain)) {
        throw std::runtime_error("the VOI file " + set.voiPath + " does not fit the run: " + *mismatch);
    }
    return records;
}

void stage(const std::string& target, const std::string& text, std::vector<std::unique_ptr<OutputFile>>& staged) {
    staged.push_back(std::make_unique<OutputFile>(target, "tsv", ".tmp", true));
    staged.back()->write(text);
    staged.back()->finish();
}

// Extracts one set and writes its files, all staged first and committed together; returns
// the sidecar's path.
std::string extractSet(const RunSet& set, const RunRecords& records, const ExtractRunOptions& options,
                       BatchObserver& observer) {
    const Footprint footprint = computeFootprint(records.voi, records.chain, records.fmr);
    const TimeSeriesResult result =
        extractVoiTimeSeries(footprint, records.fmr, options.minOccupancy, options.extraction);

    std::vector<std::string> names;
    for (const Voi& voi : records.voi.vois) names.push_back(voi.NameOfVOI.value);
    const std::vector<std::string> columns = uniqueColumnNames(names);
    const std::string stem = extractStem(set, options.outputDir);

    TimeSeriesSidecar sidecar;
    if (records.fmr.TR.present) sidecar.repetitionTimeMs = records.fmr.TR.value;
    sidecar.statistics = result.statistics;
    sidecar.minOccupancy = options.minOccupancy;
    sidecar.weighted = options.extraction.weighted;
    sidecar.voiFile = set.voiPath;
    sidecar.runFiles = {{"fmr", set.fmrPath}, {"stc", timeCourseFileName(records.fmr)}, {"ia_trf", set.iaTrfPath},
                        {"fa_trf", set.faTrfPath}, {"acpc_trf", set.acpcTrfPath}};
    if (!set.talPath.empty()) sidecar.runFiles.emplace_back("tal", set.talPath);
    for (std::size_t n = 0; n < 16; ++n) sidecar.chainMatrix[n] = records.chain.gridToFunctional().m[n];
    for (std::size_t v = 0; v < records.voi.vois.size(); ++v) {
        const Voi& voi = records.voi.vois[v];
        const std::size_t selected = v < result.vois.size() ? result.vois[v].cellCount : 0;
        sidecar.columns.push_back({columns[v], voi.NameOfVOI.value, colourText(voi.red, voi.green, voi.blue),
                                   static_cast<std::int64_t>(selected)});
    }

    std::vector<std::unique_ptr<OutputFile>> staged;
    for (std::size_t s = 0; s < result.statistics.size(); ++s) {
        const std::string table = timeSeriesTableName(stem, result.statistics[s]);
        sidecar.tables.push_back(baseName(table));
        stage(table, timeSeriesTable(columns, result, s), staged);
    }
    stage(timeSeriesSidecarName(stem), timeSeriesSidecar(sidecar), staged);
    stage(stem + "_coverage.tsv", coverageTableText(footprint, options.minOccupancy), staged);
    for (const std::unique_ptr<OutputFile>& output : staged) output->commit();

    for (std::size_t v = 0; v < result.vois.size() && v < names.size(); ++v) {
        if (result.vois[v].none()) observer.onEvent(VoiSelectsNothing{set.voiPath, set.fmrPath, v, names[v]});
    }
    return timeSeriesSidecarName(stem);
}

FileSet framingOf(const RunSet& set) {
    return FileSet{set.voiPath, set.fmrPath, set.iaTrfPath, set.faTrfPath, set.acpcTrfPath, set.talPath};
}

}  // namespace

std::string extractStem(const RunSet& set, const std::string& outputDir) {
    std::string folder = outputDir;
    if (folder.empty()) {
        const std::size_t slash = set.fmrPath.find_last_of("/\\");
        if (slash != std::string::npos) folder = set.fmrPath.substr(0, slash + 1);
    } else if (folder.back() != '/' && folder.back() != '\\') {
        folder += '/';
    }
    return folder + fileStem(set.fmrPath) + "_" + fileStem(set.voiPath);
}

BatchSummary runExtraction(const std::string& listPath, BatchObserver& observer, const ExtractRunOptions& options) {
    BatchSummary summary;
    std::ifstream list(listPath, std::ios::binary);
    if (!list) {
        summary.listReadable = false;
        return summary;
    }
    RunListReader reader(list);
    RunSet set;
    while (reader.next(set)) {
        const int number = summary.setsFound + 1;
        const FileSet framing = framingOf(set);
        observer.onSetStarted(number, framing);
        SetResult result;
        result.setNumber = number;
        if (!checkRunSet(set, observer)) {
            result.outcome = SetOutcome::reported;
        } else {
            std::string error;
            try {
                const RunRecords records = readRunRecords(set);
                if (options.dryRun) {
                    result.outputPath = timeSeriesSidecarName(extractStem(set, options.outputDir));
                    observer.onEvent(SetWouldExtract{set.voiPath, set.fmrPath, result.outputPath});
                } else {
                    result.outputPath = extractSet(set, records, options, observer);
                    observer.onEvent(SetExtracted{set.voiPath, set.fmrPath});
                }
            } catch (const std::bad_alloc&) {
                error = kOutOfMemoryError;
            } catch (const std::exception& caught) {
                error = caught.what();
                if (error.empty()) error = kUnexpectedError;
            }
            if (!error.empty()) {
                result.outcome = SetOutcome::failed;
                result.outputPath.clear();
                result.message = error;
                observer.onEvent(ExtractionFailed{set.voiPath, set.fmrPath, error});
            }
        }
        summary.add(result.outcome);
        observer.onSetFinished(framing, result);
    }
    return summary;
}

int countRunSets(const std::string& listPath) {
    std::ifstream list(listPath, std::ios::binary);
    if (!list) return 0;
    RunListReader reader(list);
    RunSet set;
    int count = 0;
    while (reader.next(set)) ++count;
    return count;
}

}  // namespace zandrel
