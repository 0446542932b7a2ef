#pragma once

#include <string>

namespace zandrel {

// `text` as a JSON string literal, quotes included. Paths and messages are 8-bit texts
// in no fixed encoding: valid UTF-8 sequences are kept as they are, and every byte that
// is not part of one is written as the code point of the same value (\u0080 to \u00FF,
// its Latin-1 reading), so the result is always valid JSON and loses no byte.
std::string jsonString(const std::string& text);

}  // namespace zandrel
