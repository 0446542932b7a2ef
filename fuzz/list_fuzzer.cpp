// Fuzz target: the list-file reader, checked against the rules a list follows.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

#include "batch/batch_run.h"
#include "batch/list_reader.h"
#include "fuzz_support.h"

using namespace zandrel;

namespace {

bool endsWithText(const std::string& text, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

bool isTrimmed(const std::string& text) { return !text.empty() && !isBlank(text.front()) && !isBlank(text.back()); }

// A path of a set is empty or the prefix followed by one trimmed line of the list that
// ends with the kind's ending.
void checkPath(const std::string& path, const std::string& prefix, const char* ending) {
    if (path.empty()) return;
    FUZZ_CHECK(path.compare(0, prefix.size(), prefix) == 0);
    const std::string line = path.substr(prefix.size());
    FUZZ_CHECK(line.find('\n') == std::string::npos);
    FUZZ_CHECK(endsWithText(line, ending));
    FUZZ_CHECK(isTrimmed(line));
}

// The longest line, less a CR before its line feed.
std::size_t longestLine(const std::string& input) {
    std::size_t longest = 0;
    std::size_t start = 0;
    while (start <= input.size()) {
        const std::size_t end = std::min(input.find('\n', start), input.size());
        std::size_t length = end - start;
        if (end < input.size() && length > 0 && input[end - 1] == '\r') --length;
        longest = std::max(longest, length);
        start = end + 1;
    }
    return longest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    // Line 1 as the reader must take it: up to the first line feed, less a CR before it.
    std::string prefix = input.substr(0, input.find('\n'));
    if (input.find('\n') != std::string::npos && !prefix.empty() && prefix.back() == '\r') prefix.pop_back();
    // A UTF-8 byte-order mark at the start of the list is no part of it.
    if (prefix.compare(0, 3, "\xEF\xBB\xBF") == 0) prefix.erase(0, 3);

    // A line longer than any path refuses the list, whichever call meets it first.
    if (longestLine(input) > kMaxListLineBytes) {
        std::istringstream in(input);
        ListReader reader(in);
        FileSet set;
        bool refused = false;
        try {
            while (reader.next(set)) {
            }
        } catch (const ListLineTooLong&) {
            refused = true;
        }
        FUZZ_CHECK(refused);
        return 0;
    }
    const std::size_t lines = 1 + static_cast<std::size_t>(std::count(input.begin(), input.end(), '\n'));

    std::istringstream in(input);
    ListReader reader(in);
    FileSet set;
    std::size_t sets = 0;
    while (reader.next(set)) {
        ++sets;
        FUZZ_CHECK(sets <= lines);
        FUZZ_CHECK(!set.roiPath.empty());
        FUZZ_CHECK(set.roiPath.compare(0, prefix.size(), prefix) == 0);
        const std::string roiLine = set.roiPath.substr(prefix.size());
        FUZZ_CHECK(endsWithText(roiLine, "roi"));
        FUZZ_CHECK(roiLine.find('\n') == std::string::npos);
        // Only line 1, the first candidate, is taken untrimmed.
        if (!(sets == 1 && roiLine == prefix)) FUZZ_CHECK(isTrimmed(roiLine));
        checkPath(set.fmrPath, prefix, "fmr");
        checkPath(set.iaTrfPath, prefix, "IA.trf");
        checkPath(set.faTrfPath, prefix, "FA.trf");
        checkPath(set.acpcTrfPath, prefix, "ACPC.trf");
        checkPath(set.talPath, prefix, "tal");
    }
    FUZZ_CHECK(!reader.next(set));

    // The progress total is the number of sets the batch forms from the same file.
    const std::string path = fuzz::writeScratchFile("batch.txt", input);
    FUZZ_CHECK(countSets(path) == static_cast<int>(sets));
    return 0;
}
