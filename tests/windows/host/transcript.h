#pragma once

#include <string>

namespace zandrel::hostemu {

// One JSON object on one line, built field by field in the order written.
// Texts are 8-bit: printable ASCII is copied, everything else is escaped; a byte of 0x80 or
// above becomes \u00XX (the code point with the byte's value), so no byte is ever lost.
class JsonLine {
public:
    JsonLine& text(const char* key, const std::string& value);
    JsonLine& number(const char* key, long long value);
    JsonLine& boolean(const char* key, bool value);
    JsonLine& null(const char* key);
    std::string str() const { return body_ + "}"; }

private:
    void key(const char* name);
    std::string body_ = "{";
};

std::string jsonQuoted(const std::string& text);

// The transcript file: every line is written and flushed at once, so a process that dies
// halfway still leaves everything up to its last completed step.
bool openTranscript(const std::string& path);
void record(const JsonLine& line);
void closeTranscript();

}  // namespace zandrel::hostemu
