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

    // Whether this row fills `field`.
    template <class Value>
    bool fills(Keyed<Value> Record::*field) const {
        const auto* held = std::get_if<Keyed<Value> Record::*>(&member);
        return held != nullptr && *held == field;
    }
};

// A reader's keys in the order in which every word is compared with them, and the key
// word after whose value the scan ends (nullptr: the scan runs to the end of the file).
template <class Record>
struct KeyTable {
    const KeyEntry<Record>* entries;
    std::size_t size;
    const char* endKey;

    const KeyEntry<Record>* begin() const { return entries; }
    const KeyEntry<Record>* end() const { return entries + size; }
};

template <class Record, std::size_t N>
constexpr KeyTable<Record> makeKeyTable(const KeyEntry<Record> (&entries)[N], const char* endKey = nullptr) {
    return KeyTable<Record>{entries, N, endKey};
}

// Calls visit(entry, field) for every row of `table` that has a field, in table order,
// with the record's field (const or not, as the record is).
template <class Record, class Table, class Visit>
void forEachKeyedField(Record& record, const Table& table, Visit&& visit) {
    for (const auto& entry : table) {
        std::visit(
            [&](auto member) {
                if constexpr (!std::is_same_v<decltype(member), std::monostate>) visit(entry, record.*member);
            },
            entry.member);
    }
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

// The scan loop of every reader. While the stream is good and the last word is not the
// table's end key: read a word (the scan ends when none is left), read the value of the
// equal key into the record, then hand the word and its row (nullptr for a word that is
// no key) to `afterWord`, which reads whatever the reader keeps beyond keyed fields.
// Words that are no key are dropped.
template <class Record, class AfterWord>
void scanKeys(std::istream& in, const KeyTable<Record>& table, Record& record, AfterWord&& afterWord) {
    std::string word;
    while (in.good() && (table.endKey == nullptr || word != table.endKey)) {
        if (!readWord(in, word)) return;
        afterWord(word, readKeyedEntry(in, word, table, record));
    }
}

template <class Record>
void scanKeys(std::istream& in, const KeyTable<Record>& table, Record& record) {
    scanKeys(in, table, record, [](const std::string&, const KeyEntry<Record>*) {});
}

}  // namespace zandrel
