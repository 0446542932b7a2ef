#pragma once
// Shared pieces of the fuzz targets: a per-process scratch folder into which the fuzzer's
// input is written (the readers take paths), and the invariant checks that every target
// applies beyond "no crash".

#include <cstddef>
#include <cstdint>
#include <string>

#include <type_traits>
#include <variant>

#include "formats/key_table.h"
#include "formats/keyed_field.h"

namespace zandrel::fuzz {

// A folder of this process, created on first use and removed when the process ends.
const std::string& scratchDir();

// Writes the bytes to `name` inside the scratch folder (replacing any earlier content)
// and returns the file's path. The same name is reused for every input.
std::string writeScratchFile(const std::string& name, const std::uint8_t* data, std::size_t size);
std::string writeScratchFile(const std::string& name, const std::string& content);

// The whole content of a file in the scratch folder ("" when it cannot be read).
std::string readScratchFile(const std::string& name);

// Reports a broken invariant with its location and stops the process so that the fuzzer
// keeps the input.
[[noreturn]] void invariantFailed(const char* condition, const char* file, int line);

// Number of maximal runs of decimal digits in the text: every integer that formatted
// extraction can produce consumes at least one digit of a run of its own, so this bounds
// how many integers a file can hold.
std::size_t countDigitRuns(const std::string& text);

// A keyed field that was never met keeps an empty key, width 0 and its preset value
// `absentValue`; one that was met carries the key `name` (without colon), a width of at
// least the key word's length, and the input contains the key word. A text value is the
// rest of one line. `quotesKept`: the reader keeps double quotes inside a value and takes
// off only a pair around the whole value (the .voi reader), instead of never leaving one
// in an unquoted value (the readers of the host's formats).
template <class Value>
void checkKeyed(const Keyed<Value>& field, const std::string& name, const std::string& input,
                const Value& absentValue, bool quotesKept = false);

// checkKeyed for every field of the key table, under the key of its row; the presets are
// those of a record that was never read.
template <class Record>
void checkKeyedFields(const Record& record, const KeyTable<Record>& table, const std::string& input) {
    const Record preset{};
    forEachKeyedField(record, table, [&](const KeyEntry<Record>& entry, const auto& field) {
        const std::string keyWord = entry.keyWord;
        const auto& absent = preset.*std::get<std::decay_t<decltype(field)> Record::*>(entry.member);
        checkKeyed(field, keyWord.substr(0, keyWord.size() - 1), input, absent.value);
    });
}

}  // namespace zandrel::fuzz

#define FUZZ_CHECK(condition)                                                         \
    do {                                                                              \
        if (!(condition)) ::zandrel::fuzz::invariantFailed(#condition, __FILE__, __LINE__); \
    } while (false)
