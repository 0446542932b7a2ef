#pragma once

#include <fstream>
#include <string>

namespace zandrel {

// The transcript of a batch: each log entry as one JSON string on a line of its own (JSON
// Lines), in order, flushed per entry, so that an interrupted run leaves every entry up to
// that point.
class TranscriptFile {
public:
    // Creates or replaces the file; false when it cannot be created.
    bool open(const std::string& path);
    bool isOpen() const { return open_; }

    void append(const std::string& entry);

    // Closes the file; false when an entry could not be written.
    bool close();

private:
    std::ofstream file_;
    bool open_ = false;
};

}  // namespace zandrel
