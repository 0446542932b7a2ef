#include "batch/set_check.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
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

namespace {

bool isSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

// The ROI's path below the list's prefix, made plain ("a/./b" -> "a/b"); empty when it does
// not lie below it.
std::filesystem::path roiBelowPrefix(const FileSet& set) {
    const std::string& prefix = set.listPrefix;
    if (set.roiPath.compare(0, prefix.size(), prefix) != 0) return {};
    std::string below = set.roiPath.substr(prefix.size());
    // After a prefix, a name's leading separators stay below it ("/data/" + "/s1.roi").
    if (!prefix.empty()) {
        std::size_t start = 0;
        while (start < below.size() && isSeparator(below[start])) ++start;
        below.erase(0, start);
    }
    const std::filesystem::path path(below);
    if (below.empty() || path.has_root_name() || path.has_root_directory()) return {};
    const std::filesystem::path plain = path.lexically_normal();
    if (plain.empty() || *plain.begin() == ".." || plain == ".") return {};
    return plain;
}

}  // namespace

std::string outputPathFor(const FileSet& set, const std::string& outputDir) {
    if (outputDir.empty()) return outputPathFor(set);
    const std::filesystem::path below = roiBelowPrefix(set);
    if (below.empty()) {
        throw std::runtime_error("the ROI file is not below the list's prefix \"" + set.listPrefix +
                                 "\", so it has no place in the output folder " + outputDir);
    }
    const bool separated = isSeparator(outputDir.back());
    return outputPathFor(outputDir + (separated ? "" : "/") + below.generic_string(), outputSuffixFor(set));
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
