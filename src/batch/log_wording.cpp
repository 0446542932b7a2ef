#include "batch/log_wording.h"

#include <variant>

namespace zandrel {

namespace {

const char* notLoadedText(SetFile file) {
    switch (file) {
        case SetFile::roi: return "ROI could not be loaded: ";
        case SetFile::fmr: return "FMR could not be loaded: ";
        case SetFile::ia: return "IA.trf could not be loaded: ";
        case SetFile::fa: return "FA.trf could not be loaded: ";
        case SetFile::acpc: return "ACPC.trf could not be loaded: ";
        case SetFile::tal: break;
    }
    return "TAL could not be loaded: ";
}

std::vector<std::string> worded(const FilesNotLoaded& event) {
    std::vector<std::string> entries{"!!!! Not enough files could be loaded to convert " + event.set.roiPath};
    for (const SetFile file : event.unopenable) entries.push_back(notLoadedText(file) + pathOf(event.set, file));
    return entries;
}

std::vector<std::string> worded(const SetConverted& event) { return {"Converted " + event.roiPath}; }

std::vector<std::string> worded(const SetWouldConvert& event) {
    return {"Would write " + event.outputPath + " from " + event.roiPath};
}

std::vector<std::string> worded(const RoiIncomplete& event) {
    const RoiShortfall& shortfall = event.shortfall;
    if (shortfall.complete()) return {};
    std::string text = "Only part of the ROI file " + event.roiPath + " was read: ";
    std::string separator;
    if (shortfall.readPlots < static_cast<std::size_t>(shortfall.announcedPlots)) {
        text += "it holds " + std::to_string(shortfall.readPlots) + " of the " +
                std::to_string(shortfall.announcedPlots) + " plots that NrOfTCPlots announces";
        separator = "; ";
    }
    for (const ShortVoxelList& plot : shortfall.shortPlots) {
        text += separator + "plot " + std::to_string(plot.plot + 1) + " holds " + std::to_string(plot.read) +
                " of the " + std::to_string(plot.announced) + " voxels that its NrOfVoxels announces";
        separator = "; ";
    }
    return {text};
}

std::vector<std::string> worded(const VoxelsSkipped& event) {
    return {"VOI " + std::to_string(event.voiIndex + 1) + " of " + event.roiPath + ": " +
            std::to_string(event.count) + " voxels outside the functional grid were skipped"};
}

std::vector<std::string> worded(const SetFailed& event) {
    return {"!!!! Could not convert " + event.roiPath + ": " + event.error};
}

std::vector<std::string> worded(const OutputsFailed& event) {
    return {"!!!! Could not write " + event.outputs + " for " + event.roiPath + ": " + event.error};
}

std::vector<std::string> worded(const BatchStopped& event) { return {"!!!! Conversion stopped: " + event.error}; }

std::vector<std::string> worded(const BatchInterrupted& event) {
    return {"!!!! Batch " + interruptedText(event) +
            (event.afterSet == 0 ? ": no set was run" : ": the sets after it were not run")};
}

const char* notLoadedText(RunFile file) {
    switch (file) {
        case RunFile::voi: return "VOI could not be loaded: ";
        case RunFile::fmr: return "FMR could not be loaded: ";
        case RunFile::ia: return "IA.trf could not be loaded: ";
        case RunFile::fa: return "FA.trf could not be loaded: ";
        case RunFile::acpc: return "ACPC.trf could not be loaded: ";
        case RunFile::tal: break;
    }
    return "TAL could not be loaded: ";
}

std::vector<std::string> worded(const RunFilesNotLoaded& event) {
    std::vector<std::string> entries{"!!!! Not enough files could be loaded to project " + event.set.voiPath};
    for (const RunFile file : event.unopenable) entries.push_back(notLoadedText(file) + pathOf(event.set, file));
    return entries;
}

std::vector<std::string> worded(const SetProjected& event) {
    return {"Projected " + event.voiPath + " onto " + event.fmrPath};
}

std::vector<std::string> worded(const SetWouldProject& event) {
    return {"Would write " + event.outputStem + ".roi from " + event.voiPath + " onto " + event.fmrPath};
}

std::vector<std::string> worded(const VoiSelectsNothing& event) {
    return {"VOI " + std::to_string(event.voiIndex + 1) + " (\"" + event.name + "\") of " + event.voiPath +
            " selects no voxel of " + event.fmrPath};
}

std::vector<std::string> worded(const ProjectionFailed& event) {
    return {"!!!! Could not project " + event.voiPath + " onto " + event.fmrPath + ": " + event.error};
}

std::vector<std::string> worded(const SetExtracted& event) {
    return {"Extracted " + event.voiPath + " from " + event.fmrPath};
}

std::vector<std::string> worded(const SetWouldExtract& event) {
    return {"Would write " + event.sidecarPath + " and its tables from " + event.voiPath + " on " + event.fmrPath};
}

std::vector<std::string> worded(const ExtractionFailed& event) {
    return {"!!!! Could not extract " + event.voiPath + " from " + event.fmrPath + ": " + event.error};
}

}  // namespace

std::vector<std::string> wordEvent(const BatchEvent& event) {
    return std::visit([](const auto& value) { return worded(value); }, event);
}

namespace {

const std::string* reasonOf(const BatchEvent& event) {
    if (const auto* e = std::get_if<SetFailed>(&event)) return &e->reason;
    if (const auto* e = std::get_if<OutputsFailed>(&event)) return &e->reason;
    if (const auto* e = std::get_if<ProjectionFailed>(&event)) return &e->reason;
    if (const auto* e = std::get_if<ExtractionFailed>(&event)) return &e->reason;
    return nullptr;
}

}  // namespace

std::vector<std::string> wordEventWithReasons(const BatchEvent& event) {
    std::vector<std::string> entries = wordEvent(event);
    const std::string* reason = reasonOf(event);
    if (reason != nullptr && !reason->empty() && !entries.empty()) entries.back() += ": " + *reason;
    return entries;
}

std::string windowsPathsHint() {
    return "  These paths were written on Windows: run the list with --prefix DIR, DIR the folder "
           "that holds its files here (--prefix @list: the list's own folder)";
}

std::string batchSummaryText(const BatchSummary& summary, bool dryRun) {
    std::string text = std::to_string(summary.converted) + (dryRun ? " would be converted" : " converted");
    if (summary.reported > 0) text += ", " + std::to_string(summary.reported) + " reported";
    if (summary.failed > 0) text += ", " + std::to_string(summary.failed) + " failed";
    return text;
}

std::string interruptedText(const BatchInterrupted& interruption) {
    std::string text = interruption.afterSet == 0 ? "interrupted before set 1"
                                                  : "interrupted after set " + std::to_string(interruption.afterSet);
    if (interruption.setsInList > 0) text += " of " + std::to_string(interruption.setsInList);
    return text;
}

void LogEntryObserver::onEvent(const BatchEvent& event) {
    for (const std::string& entry : withReasons_ ? wordEventWithReasons(event) : wordEvent(event)) onEntry(entry);
}

}  // namespace zandrel
