#include "batch/list_reader.h"

namespace zandrel {

namespace {

const char* const kWhitespace = " \t\n\v\f\r";

// The kinds a collected line is tested against, in this order; the first kind the line
// ends with is its kind.
struct LineKind {
    const char* ending;
    std::string FileSet::*field;
};
const LineKind kCollectedKinds[] = {
    {"fmr", &FileSet::fmrPath},
    {"IA.trf", &FileSet::iaTrfPath},
    {"FA.trf", &FileSet::faTrfPath},
    {"ACPC.trf", &FileSet::acpcTrfPath},
    {"tal", &FileSet::talPath},
};

}  // namespace

std::string trimWhitespace(const std::string& text) {
    const std::string::size_type first = text.find_first_not_of(kWhitespace);
    if (first == std::string::npos) return text;
    const std::string::size_type last = text.find_last_not_of(kWhitespace);
    return text.substr(first, last - first + 1);
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void readListLine(std::istream& in, std::string& line) {
    std::getline(in, line);
    // getline sets end-of-file only when no line feed ended the line.
    if (!in.eof() && !line.empty() && line.back() == '\r') line.pop_back();
}

void ListReader::readCurrentLine() {
    readListLine(in_, current_);
    current_ = trimWhitespace(current_);
}

bool ListReader::next(FileSet& set) {
    if (!started_) {
        started_ = true;
        readListLine(in_, prefix_);
        // Line 1 is the first candidate ROI line, untrimmed.
        current_ = prefix_;
    }
    if (!in_.good()) return false;

    // Search: the current line is tested before anything is read, so the ROI line that
    // ended the previous set starts this one at once.
    while (in_.good() && !startsSet(current_)) readCurrentLine();
    if (!startsSet(current_)) return false;

    set = FileSet{};
    set.roiPath = prefix_ + current_;
    current_.clear();

    // Collect up to the next ROI line or the end of the list. A ROI line is not a kind
    // here: it only ends the collection at the next test of the loop condition.
    while (in_.good() && !startsSet(current_)) {
        readCurrentLine();
        for (const LineKind& kind : kCollectedKinds) {
            if (!endsWith(current_, kind.ending)) continue;
            std::string& field = set.*kind.field;
            if (field.empty()) field = prefix_ + current_;
            break;
        }
    }
    return true;
}

}  // namespace zandrel
