#include "transcript.h"

#include <cstdio>

namespace zandrel::hostemu {

namespace {
std::FILE* transcriptFile = nullptr;
}

std::string jsonQuoted(const std::string& text) {
    static const char hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        switch (byte) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (byte < 0x20 || byte >= 0x7f) {
                out += "\\u00";
                out += hex[byte >> 4];
                out += hex[byte & 0x0f];
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

void JsonLine::key(const char* name) {
    if (body_.size() > 1) body_ += ",";
    body_ += jsonQuoted(name);
    body_ += ":";
}

JsonLine& JsonLine::text(const char* name, const std::string& value) {
    key(name);
    body_ += jsonQuoted(value);
    return *this;
}

JsonLine& JsonLine::number(const char* name, long long value) {
    key(name);
    body_ += std::to_string(value);
    return *this;
}

JsonLine& JsonLine::boolean(const char* name, bool value) {
    key(name);
    body_ += value ? "true" : "false";
    return *this;
}

JsonLine& JsonLine::null(const char* name) {
    key(name);
    body_ += "null";
    return *this;
}

bool openTranscript(const std::string& path) {
    transcriptFile = std::fopen(path.c_str(), "wb");
    return transcriptFile != nullptr;
}

void record(const JsonLine& line) {
    if (transcriptFile == nullptr) return;
    const std::string text = line.str() + "\n";
    std::fwrite(text.data(), 1, text.size(), transcriptFile);
    std::fflush(transcriptFile);
}

void closeTranscript() {
    if (transcriptFile != nullptr) std::fclose(transcriptFile);
    transcriptFile = nullptr;
}

}  // namespace zandrel::hostemu
