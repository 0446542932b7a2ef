#pragma once

#include <istream>
#include <string>

#include "batch/file_set.h"

namespace zandrel {

// Removes blanks, tabs, line feeds, vertical tabs, form feeds and carriage returns from
// both ends. A text made only of such characters (or empty) is returned unchanged.
std::string trimWhitespace(const std::string& text);

// True when the last characters of `text` equal `suffix` byte for byte.
bool endsWith(const std::string& text, const std::string& suffix);

// Reads one line: the characters up to the next line feed, which is dropped together
// with a carriage return directly before it, so a list written with CR LF line ends
// reads the same on every platform. The stream's state afterwards is that of
// std::getline: the last line without a line feed leaves the stream at its end, and a
// read with nothing left delivers an empty line and fails.
void readListLine(std::istream& in, std::string& line);

// Streams the data sets of a batch list, one at a time, in list order.
//
// Line 1 is the path prefix, used exactly as written (only its line end is dropped).
// Every later line is trimmed; a line ending in "roi" starts a set, and the lines up to
// the next ROI line fill the set's other paths, the first line of each kind winning.
// Line 1 is itself the first candidate ROI line. A last ROI line without a line break
// starts a set only when it is met while searching for a set, not while collecting one:
// the collection ends at the end of the file and the loop stops there.
//
// Only the current line, the prefix and the set being formed are held, so a list of any
// length streams in bounded memory (a single line is held whole, however long).
class ListReader {
public:
    // Reads from `in`, which must outlive the reader. Open files in binary mode: line
    // ends are handled here, the same on every platform. `setStart` is the ending of the
    // lines that start a set: "roi" for conversion lists, "voi" for run lists; the set's
    // first path (FileSet::roiPath) is then that line.
    explicit ListReader(std::istream& in, const char* setStart = "roi") : in_(in), setStart_(setStart) {}

    // Forms the next set. Returns false when the list has no further set.
    bool next(FileSet& set);

private:
    void readCurrentLine();
    bool startsSet(const std::string& line) const { return endsWith(line, setStart_); }

    std::istream& in_;
    std::string setStart_;
    bool started_ = false;
    std::string prefix_;
    std::string current_;
};

}  // namespace zandrel
