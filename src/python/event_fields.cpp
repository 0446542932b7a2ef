#include "event_fields.h"

#include <pybind11/stl.h>

#include <type_traits>
#include <vector>

namespace zandrel::python {

namespace {

const char* setFileName(SetFile file) {
    switch (file) {
        case SetFile::roi: return "roi";
        case SetFile::fmr: return "fmr";
        case SetFile::ia: return "ia";
        case SetFile::fa: return "fa";
        case SetFile::acpc: return "acpc";
        case SetFile::tal: break;
    }
    return "tal";
}

const char* runFileName(RunFile file) {
    switch (file) {
        case RunFile::voi: return "voi";
        case RunFile::fmr: return "fmr";
        case RunFile::ia: return "ia";
        case RunFile::fa: return "fa";
        case RunFile::acpc: return "acpc";
        case RunFile::tal: break;
    }
    return "tal";
}

py::dict runPaths(const RunSet& set) {
    py::dict paths;
    for (const RunFile file : kRunFiles) paths[runFileName(file)] = pathOf(set, file);
    return paths;
}

}  // namespace

py::dict setPaths(const FileSet& set) {
    py::dict paths;
    for (const SetFile file : kSetFiles) paths[setFileName(file)] = pathOf(set, file);
    return paths;
}

const char* outcomeName(SetOutcome outcome) {
    switch (outcome) {
        case SetOutcome::converted: return "converted";
        case SetOutcome::reported: return "reported";
        case SetOutcome::failed: break;
    }
    return "failed";
}

std::pair<std::string, py::dict> eventFields(const BatchEvent& event) {
    py::dict f;
    std::string kind;
    std::visit(
        [&](const auto& e) {
            using E = std::decay_t<decltype(e)>;
            if constexpr (std::is_same_v<E, FilesNotLoaded>) {
                kind = "FilesNotLoaded";
                f["set"] = setPaths(e.set);
                std::vector<std::string> files;
                for (const SetFile file : e.unopenable) files.emplace_back(setFileName(file));
                f["unopenable"] = files;
            } else if constexpr (std::is_same_v<E, SetConverted>) {
                kind = "SetConverted";
                f["roi_path"] = e.roiPath;
                f["output_path"] = e.outputPath;
            } else if constexpr (std::is_same_v<E, SetWouldConvert>) {
                kind = "SetWouldConvert";
                f["roi_path"] = e.roiPath;
                f["output_path"] = e.outputPath;
            } else if constexpr (std::is_same_v<E, RoiIncomplete>) {
                kind = "RoiIncomplete";
                f["roi_path"] = e.roiPath;
                f["announced_plots"] = e.shortfall.announcedPlots;
                f["read_plots"] = e.shortfall.readPlots;
            } else if constexpr (std::is_same_v<E, VoxelsSkipped>) {
                kind = "VoxelsSkipped";
                f["roi_path"] = e.roiPath;
                f["voi_index"] = e.voiIndex;
                f["count"] = e.count;
            } else if constexpr (std::is_same_v<E, SetFailed>) {
                kind = "SetFailed";
                f["roi_path"] = e.roiPath;
                f["error"] = e.error;
            } else if constexpr (std::is_same_v<E, OutputsFailed>) {
                kind = "OutputsFailed";
                f["outputs"] = e.outputs;
                f["roi_path"] = e.roiPath;
                f["error"] = e.error;
            } else if constexpr (std::is_same_v<E, BatchStopped>) {
                kind = "BatchStopped";
                f["error"] = e.error;
            } else if constexpr (std::is_same_v<E, BatchInterrupted>) {
                kind = "BatchInterrupted";
                f["after_set"] = e.afterSet;
                f["sets_in_list"] = e.setsInList;
            } else if constexpr (std::is_same_v<E, RunFilesNotLoaded>) {
                kind = "RunFilesNotLoaded";
                f["set"] = runPaths(e.set);
                std::vector<std::string> files;
                for (const RunFile file : e.unopenable) files.emplace_back(runFileName(file));
                f["unopenable"] = files;
            } else if constexpr (std::is_same_v<E, SetProjected> || std::is_same_v<E, SetExtracted>) {
                kind = std::is_same_v<E, SetProjected> ? "SetProjected" : "SetExtracted";
                f["voi_path"] = e.voiPath;
                f["fmr_path"] = e.fmrPath;
            } else if constexpr (std::is_same_v<E, SetWouldProject>) {
                kind = "SetWouldProject";
                f["voi_path"] = e.voiPath;
                f["fmr_path"] = e.fmrPath;
                f["output_stem"] = e.outputStem;
            } else if constexpr (std::is_same_v<E, VoiSelectsNothing>) {
                kind = "VoiSelectsNothing";
                f["voi_path"] = e.voiPath;
                f["fmr_path"] = e.fmrPath;
                f["voi_index"] = e.voiIndex;
                f["name"] = e.name;
            } else if constexpr (std::is_same_v<E, SetWouldExtract>) {
                kind = "SetWouldExtract";
                f["voi_path"] = e.voiPath;
                f["fmr_path"] = e.fmrPath;
                f["sidecar_path"] = e.sidecarPath;
            } else {
                static_assert(std::is_same_v<E, ProjectionFailed> || std::is_same_v<E, ExtractionFailed>);
                kind = std::is_same_v<E, ProjectionFailed> ? "ProjectionFailed" : "ExtractionFailed";
                f["voi_path"] = e.voiPath;
                f["fmr_path"] = e.fmrPath;
                f["error"] = e.error;
            }
        },
        event);
    return {kind, f};
}

}  // namespace zandrel::python
