#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace zandrel::wintest {

// The host emulator's transcript: one JSON object per line, in the order things happened.
// Calls the plug-in made have a "call" member, steps of the host an "event" member.
using Transcript = std::vector<nlohmann::json>;

// Reads a transcript file; a line that is not JSON throws std::runtime_error naming it.
Transcript readTranscript(const std::string& path);

// The emulator escapes each byte of 0x80 or above as the code point of the same value; this
// turns such a decoded string back into the plug-in's 8-bit text.
std::string eightBitText(const nlohmann::json& value);

// Texts of every znLogText call, in order.
std::vector<std::string> logTexts(const Transcript& transcript);

// The lines between the host entering `member` and its return (exclusive), or throws when
// the transcript has no such pair.
Transcript during(const Transcript& transcript, const std::string& member);

// Counts calls of the named host function.
int countCalls(const Transcript& transcript, const std::string& function);

// The whole transcript, one line per entry, for failure messages.
std::string dump(const Transcript& transcript);

}  // namespace zandrel::wintest
