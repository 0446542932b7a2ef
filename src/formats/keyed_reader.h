#pragma once

#include <cstdint>
#include <fstream>
#include <istream>
#include <string>

#include "formats/keyed_field.h"

namespace zandrel {

// Opens a keyed text file for reading, imbued with the classic locale.
// Throws std::runtime_error("Failed opening for reading: " + path) on failure, with
// " (a folder, not a regular file)" and the like added for a path that exists but is no
// regular file, which is refused before it is opened (a named pipe would block).
std::ifstream openForReading(const std::string& path);

// Formatted extraction of one whitespace-delimited word. Returns false (stream failed,
// `word` unchanged) when no word is left before the end of the stream.
bool readWord(std::istream& in, std::string& word);

// readKey and readValue exist for KeyedInt, KeyedFloat, KeyedBool and KeyedText.

// Key from the key word (less its last character, the colon), width from its length
// plus every blank or tab that follows on the line.
template <class Value>
void readKey(std::istream& in, const std::string& keyWord, Keyed<Value>& field);

// readKey, then the value, then `present`. Numbers and booleans are formatted extraction
// in the classic locale (one that fails to parse leaves the previous value and the stream
// failed; a boolean is 0 or 1); a text value is the rest of the line, trailing white space
// and enclosing double quotes removed.
template <class Value>
void readValue(std::istream& in, const std::string& keyWord, Keyed<Value>& field);

// Formatted extraction of one number; on failure `value` keeps its previous content.
bool readNumber(std::istream& in, std::int32_t& value);
bool readNumber(std::istream& in, float& value);

}  // namespace zandrel
