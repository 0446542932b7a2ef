#pragma once

#include <cstddef>
#include <istream>
#include <string>
#include <type_traits>
#include <variant>

#include "formats/keyed_field.h"
#include "formats/keyed_reader.h"

namespace zandrel {

// Where the value of one key goes: a keyed field of the record, or nothing at all for a
// section marker (a word without colon that opens a block the reader handles itself).
template <class Record>
using KeyedMember = std::variant<std::monostate, KeyedInt Record::*, KeyedFloat Record::*,
                                 KeyedBool Record::*, KeyedText Record::*>;

// One row of a reader's key table: the key word as it stands in the file (colon included),
// the name of the record field that receives it, and that field.
template <class Record>
struct KeyEntry {
    const char* keyWord;
    const char* fieldName;
    KeyedMember<Record> member;

    bool isSectionMarker() const { return std::holds_alternative<std::monostate>(member); }
};

// A reader's keys in the order in which every word is compared with them.
template <class Record>
struct KeyTable {
    const KeyEntry<Record>* entries;
    std::size_t size;

    const KeyEntry<Record>* begin() const { return entries; }
    const KeyEntry<Record>* end() const { return entries + size; }
};

template <class Record, std::size_t N>
constexpr KeyTable<Record> makeKeyTable(const KeyEntry<Record> (&entries)[N]) {
    return KeyTable<Record>{entries, N};
}

// Compares `word` with the keys of `table` in order. For the equal key, reads its value
// from the stream into the record's field (section markers read nothing) and returns the
// entry; returns nullptr when the word is no key of the table. Keys are matched by plain
// equality: the whole word, case-sensitive, colon included.
template <class Record>
const KeyEntry<Record>* readKeyedEntry(std::istream& in, const std::string& word,
                                       const KeyTable<Record>& table, Record& record) {
    for (const KeyEntry<Record>& entry : table) {
        if (word != entry.keyWord) continue;
        std::visit(
            [&](auto member) {
                if constexpr (!std::is_same_v<decltype(member), std::monostate>) {
                    readValue(in, word, record.*member);
                }
            },
            entry.member);
        return &entry;
    }
    return nullptr;
}

}  // namespace zandrel
