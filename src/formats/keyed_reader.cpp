#include "formats/keyed_reader.h"

#include <limits>
#include <locale>
#include <stdexcept>
#include <type_traits>

#include "formats/file_probe.h"

namespace zandrel {

namespace {

bool isBlankOrTab(int c) { return c == ' ' || c == '\t'; }

bool isTrailingSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Formatted extraction into a temporary: on failure the target keeps its value
// (extraction itself would store 0 there).
template <class Number>
bool extract(std::istream& in, Number& value) {
    Number parsed{};
    if (!(in >> parsed)) return false;
    value = parsed;
    return true;
}

// The rest of the line, trailing white space removed; the text between the first and the
// last double quote when it has any (everything after a single one).
void readTextValue(std::istream& in, KeyedText& field) {
    field.quoted = false;
    std::string line;
    std::getline(in, line);
    std::size_t end = line.size();
    while (end > 0 && isTrailingSpace(line[end - 1])) --end;
    line.resize(end);

    const std::size_t first = line.find('"');
    if (first == std::string::npos) {
        field.value = line;
    } else {
        field.quoted = true;
        const std::size_t last = line.rfind('"');
        field.value = last == first ? line.substr(first + 1) : line.substr(first + 1, last - first - 1);
    }
}

}  // namespace

std::ifstream openForReading(const std::string& path) {
    const std::string failure = "Failed opening for reading: " + path;
    refuseNonRegularFile(path, failure);
    std::ifstream in;
    // Before opening, so that the file buffer never converts with another locale.
    in.imbue(std::locale::classic());
    in.open(path);
    if (in.fail()) throw std::runtime_error(failure);
    return in;
}

bool readWord(std::istream& in, std::string& word) {
    // String extraction leaves `word` untouched when only white space is left.
    return static_cast<bool>(in >> word);
}

// A line end stops the count: numeric values may follow on the next line, but the
// width describes only the key's own line.
template <class Value>
void readKey(std::istream& in, const std::string& keyWord, Keyed<Value>& field) {
    field.key = keyWord.empty() ? std::string() : keyWord.substr(0, keyWord.size() - 1);
    const std::size_t length = keyWord.size();
    constexpr std::int32_t widest = std::numeric_limits<std::int32_t>::max();
    std::int32_t width = length > static_cast<std::size_t>(widest) ? widest : static_cast<std::int32_t>(length);
    while (isBlankOrTab(in.peek())) {
        in.get();
        if (width < widest) ++width;  // a hostile run of blanks must not overflow
    }
    field.width = width;
}

template <class Value>
void readValue(std::istream& in, const std::string& keyWord, Keyed<Value>& field) {
    readKey(in, keyWord, field);
    if constexpr (std::is_same_v<Value, std::string>) {
        readTextValue(in, field);
    } else {
        // A boolean in numeric form only: 0 or 1; any other number fails the stream.
        extract(in, field.value);
    }
    field.present = true;
}

template void readKey(std::istream&, const std::string&, KeyedInt&);
template void readKey(std::istream&, const std::string&, KeyedFloat&);
template void readKey(std::istream&, const std::string&, KeyedBool&);
template void readKey(std::istream&, const std::string&, KeyedText&);
template void readValue(std::istream&, const std::string&, KeyedInt&);
template void readValue(std::istream&, const std::string&, KeyedFloat&);
template void readValue(std::istream&, const std::string&, KeyedBool&);
template void readValue(std::istream&, const std::string&, KeyedText&);

bool readNumber(std::istream& in, std::int32_t& value) { return extract(in, value); }
bool readNumber(std::istream& in, float& value) { return extract(in, value); }

}  // namespace zandrel
