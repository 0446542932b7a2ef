#include "outputs/timeseries/extract_run.h"

#include <fstream>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "batch/batch_interrupt.h"
#include "batch/log_wording.h"
#include "batch/run_list_reader.h"
#include "batch/run_projection.h"
#include "batch/set_check.h"
#include "batch/set_containment.h"
#include "io/output_group.h"
#include "outputs/runs/coverage_table.h"
#include "outputs/timeseries/timeseries_files.h"
#include "runs/voi_timecourses.h"

namespace zandrel {

namespace {

std::string baseName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void stage(const std::string& target, const std::string& text, OutputGroup& group) {
    OutputFile& file = group.add(target, "tsv", ".tmp", true);
    file.write(text);
    file.finish();
}

// Extracts one set and writes its files, all staged first and committed together; returns
// the sidecar's path.
std::string extractSet(const ProjectedRun& records, const ExtractRunOptions& options) {
    const RunSet& set = records.set;
    const Footprint& footprint = records.footprint;
    const TimeSeriesResult result =
        extractVoiTimeSeries(footprint, records.fmr, options.minOccupancy, options.extraction);

    std::vector<std::string> names;
    for (const Voi& voi : records.voi.vois) names.push_back(voi.NameOfVOI.value);
    const std::vector<std::string> columns = uniqueColumnNames(names);
    const std::string& stem = records.outputStem;

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

    OutputGroup staged;
    for (std::size_t s = 0; s < result.statistics.size(); ++s) {
        const std::string table = timeSeriesTableName(stem, result.statistics[s]);
        sidecar.tables.push_back(baseName(table));
        stage(table, timeSeriesTable(columns, result, s), staged);
    }
    stage(timeSeriesSidecarName(stem), timeSeriesSidecar(sidecar), staged);
    stage(stem + "_coverage.tsv", coverageTableText(footprint, options.minOccupancy), staged);
    staged.commitAll();
    return timeSeriesSidecarName(stem);
}

}  // namespace

BatchSummary runExtraction(const std::string& listPath, BatchObserver& observer, const ExtractRunOptions& options) {
    BatchSummary summary;
    std::ifstream list;
    if (canOpenForReading(listPath)) list.open(listPath, std::ios::in | std::ios::binary);
    if (!list.is_open() || !list.good()) {
        summary.listReadable = false;
        return summary;
    }
    RunListReader reader(list);
    RunSet set;
    while (reader.next(set)) {
        if (interruptBeforeSet(options.stop, reader, set, summary, observer)) break;
        const int number = summary.setsFound + 1;
        const FileSet framing = framingSet(set);
        observer.onSetStarted(number, framing);
        SetResult result;
        result.setNumber = number;
        result.outcome = containSetErrors(
            [&] {
                if (!checkRunSet(set, observer)) return SetOutcome::reported;
                const ProjectedRun records = projectRunSet(set, options.outputDir);
                // The time-course file is checked (name, regular file, size) before any work.
                checkTimeCourseFile(records.fmr);
                if (options.dryRun) {
                    result.outputPath = timeSeriesSidecarName(records.outputStem);
                    observer.onEvent(SetWouldExtract{set.voiPath, set.fmrPath, result.outputPath});
                } else {
                    result.outputPath = extractSet(records, options);
                    observer.onEvent(SetExtracted{set.voiPath, set.fmrPath});
                }
                // Its column stays, filled with n/a.
                for (std::size_t v = 0; v < records.footprint.vois.size(); ++v) {
                    const VoiFootprint& voi = records.footprint.vois[v];
                    if (coverageOf(voi, options.minOccupancy).selected == 0)
                        observer.onEvent(VoiSelectsNothing{set.voiPath, set.fmrPath, v, voi.name});
                }
                return SetOutcome::converted;
            },
            result.message, &result.reason);
        if (result.outcome == SetOutcome::failed) {
            result.outputPath.clear();
            observer.onEvent(ExtractionFailed{set.voiPath, set.fmrPath, result.message, result.reason});
        }
        summary.add(result.outcome);
        observer.onSetFinished(framing, result);
    }
    return summary;
}

}  // namespace zandrel
