#include "outputs/report/report_folder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "io/output_file.h"
#include "io/stale_temporaries.h"

namespace zandrel::report {

namespace fs = std::filesystem;

namespace {

constexpr const char* kMarkerTitle = "zandrel quality-control report; files written:";

}  // namespace

bool isPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name != ReportFolder::kMarkerName &&
           name.find_first_of("/\\:") == std::string::npos && name.find('\0') == std::string::npos;
}

ReportFolder::ReportFolder(const std::string& dir) : dir_(dir) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(dir, error);
    if (!fs::exists(status)) {
        fs::create_directories(dir, error);
        if (error) throw std::runtime_error("Cannot create the report folder " + dir + ": " + error.message());
        return;
    }
    if (!fs::is_directory(fs::status(dir, error)))
        throw std::runtime_error("The report folder " + dir + " is not a folder");
    // A temporary that a killed run left behind is no file of someone else's.
    sweepFolderOnce(dir);
    const fs::path marker = fs::path(dir) / kMarkerName;
    if (!fs::exists(fs::symlink_status(marker, error))) {
        if (!fs::is_empty(dir, error) || error)
            throw std::runtime_error("The report folder " + dir +
                                     " holds files that are not a zandrel report; choose a new or empty folder");
        return;
    }
    if (!fs::is_regular_file(fs::symlink_status(marker, error)))
        throw std::runtime_error("The report marker " + marker.string() + " is not a regular file");
    std::ifstream in(marker, std::ios::binary);
    std::string line;
    if (!std::getline(in, line) || line != kMarkerTitle)
        throw std::runtime_error("The report marker " + marker.string() + " was not written by zandrel");
    // Only plain names count: a hostile marker cannot point outside the folder.
    while (std::getline(in, line))
        if (isPlainName(line)) previous_.insert(line);
}

void ReportFolder::plan(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        if (!isPlainName(name)) throw std::runtime_error("Not a plain file name for the report: " + name);
        std::error_code error;
        const fs::file_status status = fs::symlink_status(pathOf(name), error);
        if (fs::exists(status) && (previous_.count(name) == 0 || fs::is_directory(status)))
            throw std::runtime_error("The report folder " + dir_ + " holds " + name +
                                     ", which is not a file of an earlier report; nothing was replaced");
        planned_.insert(name);
    }
    // Until commit, the marker covers the previous files and everything this report may write,
    // so an interrupted report is still recognised and replaced by the next one. It is
    // written again only when it does not list a planned name yet: replacing an earlier
    // report of the same batch needs no rewrite per set.
    const bool covered = std::includes(covered_.begin(), covered_.end(), planned_.begin(), planned_.end());
    if (covered && markerWritten_) return;
    covered_ = previous_;
    covered_.insert(planned_.begin(), planned_.end());
    writeMarker(covered_);
    markerWritten_ = true;
}

std::string ReportFolder::pathOf(const std::string& name) const { return (fs::path(dir_) / name).string(); }

void ReportFolder::writeMarker(const std::set<std::string>& names) const {
    std::string text = std::string(kMarkerTitle) + '\n';
    for (const std::string& name : names) text += name + '\n';
    writeWholeFile(pathOf(kMarkerName), text, "marker");
}

void ReportFolder::commit() {
    writeMarker(written_);
    std::set<std::string> stale = previous_;
    stale.insert(planned_.begin(), planned_.end());
    for (const std::string& name : stale) {
        if (written_.count(name) != 0) continue;
        std::error_code error;
        const fs::file_status status = fs::symlink_status(pathOf(name), error);
        if (fs::exists(status) && !fs::is_directory(status)) fs::remove(pathOf(name), error);
    }
}

}  // namespace zandrel::report
