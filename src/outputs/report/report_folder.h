#pragma once

#include <set>
#include <string>
#include <vector>

namespace zandrel::report {

// The folder a report is written to. A report leaves a marker file that lists every file it
// wrote; a later report replaces exactly those and never touches anything else. A folder
// that holds files but no marker is not a report of ours and is refused.
class ReportFolder {
public:
    static constexpr const char* kMarkerName = ".zandrel-report";

    // Creates the folder when it is missing. Throws std::runtime_error when the path is not
    // a folder, or is a folder with files but without a marker.
    explicit ReportFolder(const std::string& dir);

    // Announces the files this report may write (plain names within the folder). Throws
    // std::runtime_error, before anything is written, when one of them exists and is not
    // a file of the previous report, or is not a plain name.
    void plan(const std::vector<std::string>& names);

    std::string pathOf(const std::string& name) const;
    // Records that `name` (a planned name) has been written completely.
    void written(const std::string& name) { written_.insert(name); }

    // Lists the written files in the marker and removes the previous report's files and the
    // planned files that were not written this time.
    void commit();

private:
    void writeMarker(const std::set<std::string>& names) const;

    std::string dir_;
    std::set<std::string> previous_;
    std::set<std::string> planned_;
    std::set<std::string> written_;
    std::set<std::string> covered_;  // what the marker lists while the report is written
    bool markerWritten_ = false;
};

// Whether `name` may be a file of a report: a plain, non-empty name without a folder part,
// not "." or "..", and not the marker itself.
bool isPlainName(const std::string& name);

}  // namespace zandrel::report
