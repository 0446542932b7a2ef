#include "generator/text_output.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace zandrel::studygen {

std::string fixedDecimals(double value, int decimals) {
    if (decimals < 0 || decimals > 16) throw std::logic_error("decimals out of range");
    double scale = 1.0;
    for (int i = 0; i < decimals; ++i) scale *= 10.0;  // every power up to 1e16 is exact
    const double scaled = value * scale;
    if (!(std::fabs(scaled) < 9.0e18)) throw std::logic_error("value too large to format");
    const long long units = std::llround(scaled);
    unsigned long long magnitude =
        units < 0 ? 0ull - static_cast<unsigned long long>(units) : static_cast<unsigned long long>(units);
    std::string digits = std::to_string(magnitude);
    if (static_cast<int>(digits.size()) <= decimals) {
        digits.insert(0, static_cast<std::size_t>(decimals + 1 - static_cast<int>(digits.size())), '0');
    }
    std::string result = units < 0 ? "-" : "";
    const std::size_t integerDigits = digits.size() - static_cast<std::size_t>(decimals);
    result += digits.substr(0, integerDigits);
    if (decimals > 0) result += "." + digits.substr(integerDigits);
    return result;
}

std::string compactDecimals(double value, int decimals) {
    std::string text = fixedDecimals(value, decimals);
    if (text.find('.') == std::string::npos) return text;
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

void KeyedTextBuilder::entry(const std::string& key, const std::string& value) {
    std::string keyWord = key + ":";
    const std::size_t column = static_cast<std::size_t>(width_ > 0 ? width_ : 0);
    keyWord.append(keyWord.size() < column ? column - keyWord.size() : 1, ' ');
    line(keyWord + value);
}

void KeyedTextBuilder::line(const std::string& text) {
    text_ += text;
    text_ += crlf_ ? "\r\n" : "\n";
}

void writeBinaryFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (out) out.close();
    if (!out) throw std::runtime_error("Cannot write file: " + path);
}

void appendLittleEndian16(std::string& out, std::int16_t value) {
    const auto bits = static_cast<std::uint16_t>(value);
    out.push_back(static_cast<char>(bits & 0xFFu));
    out.push_back(static_cast<char>((bits >> 8) & 0xFFu));
}

void appendLittleEndianFloat(std::string& out, float value) {
    std::uint32_t bits = 0;
    static_assert(sizeof bits == sizeof value, "float must be 32 bits");
    std::memcpy(&bits, &value, sizeof bits);
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((bits >> shift) & 0xFFu));
}

}  // namespace zandrel::studygen
