#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "batch/file_set.h"

namespace zandrel {

// Removes blanks, tabs, line feeds, vertical tabs, form feeds and carriage returns from
// both ends. A text made only of such characters (or empty) is returned unchanged.
std::string trimWhitespace(const std::string& text);

// True when the last characters of `text` equal `suffix` byte for byte.
bool endsWith(const std::string& text, const std::string& suffix);

// No path is longer than this; a longer list line is refused rather than held whole.
inline constexpr std::size_t kMaxListLineBytes = 64 * 1024;

// A list line longer than kMaxListLineBytes: the list is refused. `lineNumber` counts from 1.
class ListLineTooLong : public std::runtime_error {
public:
    explicit ListLineTooLong(long lineNumber);
    long lineNumber;
};

// Reads one line: the characters up to the next line feed, which is dropped together
// with a carriage return directly before it, so a list written with CR LF line ends
// reads the same on every platform. The stream's state afterwards is that of
// std::getline: the last line without a line feed leaves the stream at its end, and a
// read with nothing left delivers an empty line and fails. Throws ListLineTooLong (with
// `lineNumber`) as soon as a line exceeds kMaxListLineBytes before its line end, so
// memory never grows with a line.
void readListLine(std::istream& in, std::string& line, long lineNumber = 0);

// How the command line reads a list beyond the list's own text: both default to the list
// exactly as written, which is how the plug-in reads it.
struct ListReading {
    // Replaces line 1 as the prefix of every name; line 1 is then only a candidate ROI line.
    std::optional<std::string> prefix;
    // A backslash in a name (and in line 1) is a folder separator: turned into '/'.
    bool backslashIsSeparator = false;
};

// The ending of the kind ("roi", "IA.trf", ...) that a trimmed list line would have if its
// letter case differed ("S1.ROI", "s1_ia.trf"); nullptr when the line has a kind as written
// or none in any case. Such a line names no file: lists are case-sensitive.
const char* kindInOtherLetterCase(const std::string& line);

// Whether `path` looks like a path written on Windows: a drive letter ("D:") at its start,
// or a backslash anywhere.
bool looksLikeWindowsPath(const std::string& path);

// Streams the data sets of a batch list, one at a time, in list order.
//
// Line 1 is the path prefix, used exactly as written (only its line end is dropped).
// Every later line is trimmed; a line ending in "roi" starts a set, and the lines up to
// the next ROI line fill the set's other paths, the first line of each kind winning.
// Line 1 is itself the first candidate ROI line. A last ROI line without a line break
// starts a set only when it is met while searching for a set, not while collecting one:
// the collection ends at the end of the file and the loop stops there.
//
// A UTF-8 byte-order mark at the very start of the list is dropped: no path starts with one.
//
// Only the current line, the prefix and the set being formed are held, and no line longer
// than kMaxListLineBytes (ListLineTooLong is thrown), so a list of any length streams in
// bounded memory.
class ListReader {
public:
    // Reads from `in`, which must outlive the reader. Open files in binary mode: line
    // ends are handled here, the same on every platform. `setStart` is the ending of the
    // lines that start a set: "roi" for conversion lists, "voi" for run lists; the set's
    // first path (FileSet::roiPath) is then that line.
    explicit ListReader(std::istream& in, const char* setStart = "roi") : in_(in), setStart_(setStart) {}
    ListReader(std::istream& in, ListReading reading, const char* setStart = "roi")
        : in_(in), setStart_(setStart), reading_(std::move(reading)) {}

    // Forms the next set. Returns false when the list has no further set.
    bool next(FileSet& set);

private:
    void readCurrentLine();
    bool startsSet(const std::string& line) const { return endsWith(line, setStart_); }

    std::string named(const std::string& line) const;

    std::istream& in_;
    std::string setStart_;
    ListReading reading_;
    long lineNumber_ = 0;
    bool started_ = false;
    std::string prefix_;
    std::string current_;
};

}  // namespace zandrel
