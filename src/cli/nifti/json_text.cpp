#include "cli/nifti/json_text.h"

#include <charconv>
#include <cmath>

namespace zandrel::nifti_json {

namespace {

template <class Number>
std::string shortest(Number value) {
    if (!std::isfinite(value)) return "null";
    char buffer[64];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string quoted(const std::string& text) {
    static const char hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    out += "\\u00";
                    out += hex[c >> 4];
                    out += hex[c & 15];
                } else {
                    out += ch;  // 8-bit paths pass through as they are
                }
        }
    }
    return out + "\"";
}

std::string number(std::int64_t value) { return std::to_string(value); }
std::string number(double value) { return shortest(value); }
std::string number(float value) { return shortest(value); }

}  // namespace zandrel::nifti_json
