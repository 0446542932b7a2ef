#include "batch/list_reader.h"

#include <cctype>
#include <streambuf>

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

const char* const kAllKinds[] = {"roi", "fmr", "IA.trf", "FA.trf", "ACPC.trf", "tal"};

bool endsWithIgnoringCase(const std::string& text, const std::string& suffix) {
    if (text.size() < suffix.size()) return false;
    const std::size_t start = text.size() - suffix.size();
    for (std::size_t n = 0; n < suffix.size(); ++n) {
        const auto a = static_cast<unsigned char>(text[start + n]);
        const auto b = static_cast<unsigned char>(suffix[n]);
        if (std::tolower(a) != std::tolower(b)) return false;
    }
    return true;
}

const char kUtf8ByteOrderMark[] = "\xEF\xBB\xBF";

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

ListLineTooLong::ListLineTooLong(long number)
    : std::runtime_error("line " + std::to_string(number) + " of the list is longer than " +
                         std::to_string(kMaxListLineBytes) + " bytes, longer than any path"),
      lineNumber(number) {}

void readListLine(std::istream& in, std::string& line, long lineNumber) {
    line.clear();
    const std::istream::sentry ready(in, true);
    if (!ready) return;  // the sentry has failed the stream
    std::streambuf& buffer = *in.rdbuf();
    std::ios_base::iostate state = std::ios_base::goodbit;
    bool extracted = false;
    bool ended = false;
    for (;;) {
        const int c = buffer.sbumpc();
        if (c == std::char_traits<char>::eof()) {
            state |= std::ios_base::eofbit;
            break;
        }
        extracted = true;
        if (c == '\n') {
            ended = true;
            break;
        }
        // One byte beyond the limit may still be the carriage return of a CR LF end.
        if (line.size() > kMaxListLineBytes) throw ListLineTooLong(lineNumber);
        line.push_back(static_cast<char>(c));
    }
    if (!extracted) state |= std::ios_base::failbit;
    if (ended && !line.empty() && line.back() == '\r') line.pop_back();
    if (state != std::ios_base::goodbit) in.setstate(state);
    if (line.size() > kMaxListLineBytes) throw ListLineTooLong(lineNumber);
}

const char* kindInOtherLetterCase(const std::string& line) {
    for (const char* kind : kAllKinds) {
        if (endsWith(line, kind)) return nullptr;
    }
    for (const char* kind : kAllKinds) {
        if (endsWithIgnoringCase(line, kind)) return kind;
    }
    return nullptr;
}

bool looksLikeWindowsPath(const std::string& path) {
    const bool drive = path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) != 0 && path[1] == ':';
    return drive || path.find('\\') != std::string::npos;
}

std::string ListReader::named(const std::string& line) const {
    if (!reading_.backslashIsSeparator) return line;
    std::string name = line;
    for (char& c : name) {
        if (c == '\\') c = '/';
    }
    return name;
}

void ListReader::readCurrentLine() {
    readListLine(in_, current_, ++lineNumber_);
    current_ = named(trimWhitespace(current_));
}

bool ListReader::next(FileSet& set) {
    if (!started_) {
        started_ = true;
        readListLine(in_, prefix_, ++lineNumber_);
        if (prefix_.compare(0, 3, kUtf8ByteOrderMark) == 0) prefix_.erase(0, 3);
        prefix_ = reading_.prefix ? *reading_.prefix : named(prefix_);
        // Line 1 (or the prefix that replaces it) is the first candidate ROI line, untrimmed.
        current_ = prefix_;
    }
    if (!in_.good()) return false;

    // Search: the current line is tested before anything is read, so the ROI line that
    // ended the previous set starts this one at once.
    while (in_.good() && !startsSet(current_)) readCurrentLine();
    if (!startsSet(current_)) return false;

    set = FileSet{};
    set.roiPath = prefix_ + current_;
    set.listPrefix = prefix_;
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
