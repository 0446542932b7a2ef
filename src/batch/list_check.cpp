#include "batch/list_check.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "batch/batch_run.h"
#include "batch/set_check.h"

namespace zandrel {

namespace {

// Enough bytes to tell 16- and 32-bit text from a binary file by the pattern of its NULs.
constexpr std::size_t kSampleBytes = 4096;

unsigned char at(const std::string& bytes, std::size_t n) { return static_cast<unsigned char>(bytes[n]); }

bool startsWith(const std::string& bytes, const char* mark, std::size_t size) {
    return bytes.size() >= size && std::memcmp(bytes.data(), mark, size) == 0;
}

ListRefusal byteOrderMark(const std::string& sample) {
    // The 32-bit marks first: the little-endian one begins like the 16-bit one.
    if (startsWith(sample, "\xFF\xFE\0\0", 4)) return ListRefusal::utf32le;
    if (startsWith(sample, "\0\0\xFE\xFF", 4)) return ListRefusal::utf32be;
    if (startsWith(sample, "\xFF\xFE", 2)) return ListRefusal::utf16le;
    if (startsWith(sample, "\xFE\xFF", 2)) return ListRefusal::utf16be;
    return ListRefusal::none;
}

// Text of ASCII characters in 16 or 32 bits has NULs in fixed places of each unit and none
// in the other: more than half of the units showing the pattern names the encoding.
ListRefusal encodingByNuls(const std::string& sample) {
    const auto unitsShowing = [&](std::size_t width, std::size_t textByte) {
        std::size_t units = 0;
        std::size_t showing = 0;
        for (std::size_t start = 0; start + width <= sample.size(); start += width, ++units) {
            bool pattern = at(sample, start + textByte) != 0;
            for (std::size_t b = 0; b < width && pattern; ++b) {
                if (b != textByte && at(sample, start + b) != 0) pattern = false;
            }
            if (pattern) ++showing;
        }
        return units > 0 && showing * 2 > units;
    };
    if (unitsShowing(4, 0)) return ListRefusal::utf32le;
    if (unitsShowing(4, 3)) return ListRefusal::utf32be;
    if (unitsShowing(2, 0)) return ListRefusal::utf16le;
    if (unitsShowing(2, 1)) return ListRefusal::utf16be;
    return ListRefusal::binary;
}

ListInspection refused(ListRefusal refusal, long lineNumber = 0) {
    ListInspection inspection;
    inspection.refusal = refusal;
    inspection.lineNumber = lineNumber;
    return inspection;
}

}  // namespace

std::string unreadableReason(const std::string& path) {
    if (path.empty()) return std::generic_category().message(ENOENT);
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(std::filesystem::path(path), error);
    if (error) return error.message();
    if (std::filesystem::is_directory(status)) return std::generic_category().message(EISDIR);
    if (!std::filesystem::is_regular_file(status)) return "not a regular file";
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file != nullptr) {
        std::fclose(file);
        return "cannot be read";
    }
    return errno != 0 ? std::generic_category().message(errno) : "cannot be opened";
}

ListInspection inspectListFile(const std::string& path, const ListReading& reading,
                               const std::function<void(const OtherCaseLine&)>& onOtherCase) {
    std::ifstream in;
    if (canOpenForReading(path)) in.open(path, std::ios::in | std::ios::binary);
    if (!in.is_open() || !in.good()) {
        ListInspection inspection = refused(ListRefusal::unreadable);
        inspection.reason = unreadableReason(path);
        return inspection;
    }

    std::string sample(kSampleBytes, '\0');
    in.read(&sample[0], static_cast<std::streamsize>(sample.size()));
    sample.resize(static_cast<std::size_t>(in.gcount()));
    if (sample.empty()) return refused(ListRefusal::empty);
    const ListRefusal mark = byteOrderMark(sample);
    if (mark != ListRefusal::none) return refused(mark);
    const std::string::size_type nul = sample.find('\0');
    if (nul != std::string::npos) {
        const auto linesBefore = std::count(sample.begin(), sample.begin() + static_cast<std::ptrdiff_t>(nul), '\n');
        return refused(encodingByNuls(sample), 1 + static_cast<long>(linesBefore));
    }

    in.clear();
    in.seekg(0);
    ListInspection inspection;
    std::string line;
    long number = 0;
    try {
        while (in.good()) {
            readListLine(in, line, ++number);
            if (in.fail()) break;
            if (line.find('\0') != std::string::npos) return refused(ListRefusal::binary, number);
            if (number == 1) {
                if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
                inspection.lineOne = line;
                continue;
            }
            const std::string trimmed = trimWhitespace(line);
            if (const char* kind = kindInOtherLetterCase(trimmed)) onOtherCase({number, trimmed, kind});
        }
        inspection.sets = countSets(path, reading);
    } catch (const ListLineTooLong& error) {
        return refused(ListRefusal::lineTooLong, error.lineNumber);
    }
    return inspection;
}

std::string refusalText(const ListInspection& inspection) {
    switch (inspection.refusal) {
        case ListRefusal::none: return {};
        case ListRefusal::unreadable: return inspection.reason;
        case ListRefusal::empty: return "the file is empty";
        case ListRefusal::binary:
            return "line " + std::to_string(inspection.lineNumber) + " holds NUL bytes: this is no text file";
        case ListRefusal::utf16le: return "this is UTF-16 text (little-endian); save the list as 8-bit text (UTF-8)";
        case ListRefusal::utf16be: return "this is UTF-16 text (big-endian); save the list as 8-bit text (UTF-8)";
        case ListRefusal::utf32le: return "this is UTF-32 text (little-endian); save the list as 8-bit text (UTF-8)";
        case ListRefusal::utf32be: return "this is UTF-32 text (big-endian); save the list as 8-bit text (UTF-8)";
        case ListRefusal::lineTooLong:
            return "line " + std::to_string(inspection.lineNumber) + " is longer than " +
                   std::to_string(kMaxListLineBytes) + " bytes, longer than any path";
    }
    return {};
}

}  // namespace zandrel
