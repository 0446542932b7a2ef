#pragma once

#include <cstddef>
#include <ostream>
#include <string>

namespace zandrel::cli {

// A single status line on a terminal, "[3/12] s3.roi": the set number, the total and
// the ROI file's name. It is rewritten in place and erased before log entries are
// printed, so it never mixes with them.
class ConvertProgress {
public:
    ConvertProgress(std::ostream& terminal, int total) : terminal_(terminal), total_(total) {}

    void show(int setNumber, const std::string& roiPath);
    void clear();

    // "[n/total] name", with the name shortened from the left to keep the line short.
    static std::string statusText(int setNumber, int total, const std::string& roiPath);

private:
    std::ostream& terminal_;
    int total_;
    std::size_t shownLength_ = 0;
};

}  // namespace zandrel::cli
