#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "batch/list_reader.h"

namespace zandrel {

// What keeps a file from being read as a list at all.
enum class ListRefusal {
    none,
    unreadable,   // cannot be opened: `reason` holds the system's reason
    empty,        // no byte at all
    binary,       // NUL bytes that no 8-bit text holds
    utf16le,      // 16-bit text (by its byte-order mark or the pattern of its NUL bytes)
    utf16be,
    utf32le,      // 32-bit text
    utf32be,
    lineTooLong,  // a line longer than kMaxListLineBytes
};

// A line that would name a file of a kind if its letter case differed ("S1.ROI").
struct OtherCaseLine {
    long lineNumber = 0;  // from 1
    std::string line;     // trimmed, as written
    const char* kind = "";  // the ending it would match: "roi", "IA.trf", ...
};

// A list file looked over before a batch: whether it can be read as a list, its line 1 as
// the prefix it gives (without a UTF-8 byte-order mark), and the number of sets it forms.
struct ListInspection {
    ListRefusal refusal = ListRefusal::none;
    std::string reason;  // unreadable: the system's reason
    long lineNumber = 0; // binary (NUL in a later line) and lineTooLong: the line, from 1
    std::string lineOne;
    int sets = 0;
};

// Reads the whole list once, in bounded memory, the way `reading` asks, and calls
// `onOtherCase` for every line after line 1 that would match a kind in another letter case.
// Never throws for what the file holds.
ListInspection inspectListFile(const std::string& path, const ListReading& reading,
                               const std::function<void(const OtherCaseLine&)>& onOtherCase);

// What the file is, for a refusal other than `unreadable`: "it is empty", "it is UTF-16
// text (little-endian)", "it holds NUL bytes (line 3): it is not a text file", ...
std::string refusalText(const ListInspection& inspection);

// The system's reason why `path` cannot be opened for reading: "No such file or
// directory", "Is a directory", "Permission denied", ...
std::string unreadableReason(const std::string& path);

}  // namespace zandrel
