#pragma once

#include <cstdint>
#include <fstream>
#include <istream>
#include <string>

#include "formats/keyed_field.h"

namespace zandrel {

// Opens a keyed text file for reading, imbued with the classic locale.
// Throws std::runtime_error("Failed opening for reading: " + path) on failure.
std::ifstream openForReading(const std::string& path);

// Formatted extraction of one whitespace-delimited word. Returns false (stream failed,
// `word` unchanged) when no word is left before the end of the stream.
bool readWord(std::istream& in, std::string& word);

// Key from the key word (less its last character, the colon), width from its length
// plus every blank or tab that follows on the line.
void readKey(std::istream& in, const std::string& keyWord, KeyedInt& field);
void readKey(std::istream& in, const std::string& keyWord, KeyedFloat& field);
void readKey(std::istream& in, const std::string& keyWord, KeyedBool& field);
void readKey(std::istream& in, const std::string& keyWord, KeyedText& field);

// readKey, then the value as formatted extraction in the classic locale (a number that
// fails to parse leaves the previous value and the stream failed), then `present`.
void readValue(std::istream& in, const std::string& keyWord, KeyedInt& field);
void readValue(std::istream& in, const std::string& keyWord, KeyedFloat& field);
void readValue(std::istream& in, const std::string& keyWord, KeyedBool& field);
void readValue(std::istream& in, const std::string& keyWord, KeyedText& field);

// Formatted extraction of one number; on failure `value` keeps its previous content.
bool readNumber(std::istream& in, std::int32_t& value);
bool readNumber(std::istream& in, float& value);

}  // namespace zandrel
