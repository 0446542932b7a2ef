#pragma once

#include <fstream>
#include <functional>
#include <ostream>
#include <string>

namespace zandrel::cli {

// Where `zandrel convert` sends the batch's log entries: each to standard output as it
// happens, followed by a line feed unless its text already ends with one (the entries
// carry no line end of their own; on a console they would run together), and, with a
// transcript, each as one JSON string on a line of its own (JSON Lines), in order.
class ConvertOutput {
public:
    explicit ConvertOutput(std::ostream& console) : console_(console) {}

    // Creates or replaces the transcript file; false when it cannot be created.
    bool openTranscript(const std::string& path);

    // Called before an entry is printed, e.g. to clear a progress line.
    void setBeforeEntry(std::function<void()> beforeEntry) { beforeEntry_ = std::move(beforeEntry); }

    void addEntry(const std::string& entry);

    // False when a transcript was asked for and an entry could not be written to it.
    bool transcriptComplete();

private:
    std::ostream& console_;
    std::ofstream transcript_;
    bool transcriptOpen_ = false;
    std::function<void()> beforeEntry_;
};

}  // namespace zandrel::cli
