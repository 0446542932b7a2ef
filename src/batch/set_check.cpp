#include "batch/set_check.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace zandrel {

bool canOpenForReading(const std::string& path) {
    if (path.empty()) return false;
    // Status first: it follows links, and it keeps a named pipe from being opened.
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::path(path), error)) return false;
    std::ifstream in(path, std::ios::in | std::ios::binary);
    return in.good();
}

std::string outputPathFor(const std::string& path, const std::string& suffix) {
    const std::string::size_type dot = path.rfind('.');
    return (dot == std::string::npos ? path : path.substr(0, dot)) + suffix;
}

const char* outputSuffixFor(const FileSet& set) {
    return set.talPath.empty() ? "_ACPC_.voi" : "_TAL_.voi";
}

std::string outputPathFor(const FileSet& set) {
    return outputPathFor(set.roiPath, outputSuffixFor(set));
}

bool checkFileSet(const FileSet& set, BatchObserver& observer) {
    const bool complete = canOpenForReading(set.roiPath) && canOpenForReading(set.fmrPath) &&
                          canOpenForReading(set.iaTrfPath) && canOpenForReading(set.faTrfPath) &&
                          canOpenForReading(set.acpcTrfPath) &&
                          (set.talPath.empty() || canOpenForReading(set.talPath));
    if (complete) return true;

    // Every file is tested a second time: the report shows what is missing now.
    FilesNotLoaded report{set, {}};
    for (const SetFile file : kSetFiles) {
        if (!canOpenForReading(pathOf(set, file))) report.unopenable.push_back(file);
    }
    observer.onEvent(report);
    return false;
}

bool checkRunSet(const RunSet& set, BatchObserver& observer) {
    const bool complete = canOpenForReading(set.voiPath) && canOpenForReading(set.fmrPath) &&
                          canOpenForReading(set.iaTrfPath) && canOpenForReading(set.faTrfPath) &&
                          canOpenForReading(set.acpcTrfPath) &&
                          (set.talPath.empty() || canOpenForReading(set.talPath));
    if (complete) return true;

    // Every file is tested a second time: the report shows what is missing now.
    RunFilesNotLoaded report{set, {}};
    for (const RunFile file : kRunFiles) {
        if (!canOpenForReading(pathOf(set, file))) report.unopenable.push_back(file);
    }
    observer.onEvent(report);
    return false;
}

}  // namespace zandrel
