#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zandrel::studygen {

// `value` rounded to `decimals` places (0..16), written without exponent, "-" only for a
// non-zero result. Locale-free and exact: the rounding is one IEEE product and llround.
std::string fixedDecimals(double value, int decimals);
// As fixedDecimals, then trailing zeros and a trailing point removed ("3", "0.5").
std::string compactDecimals(double value, int decimals);
std::string quoted(const std::string& text);

// Builds keyed text the way the host writes it: the key word left-justified in a column of
// `width` characters (at least one blank after it), then the value; every line ends with
// CR LF or LF.
class KeyedTextBuilder {
public:
    KeyedTextBuilder(bool crlf, int width) : crlf_(crlf), width_(width) {}

    void entry(const std::string& key, const std::string& value);
    void entry(const std::string& key, long long value) { entry(key, std::to_string(value)); }
    void line(const std::string& text = std::string());
    void setWidth(int width) { width_ = width; }
    const std::string& text() const { return text_; }

private:
    bool crlf_;
    int width_;
    std::string text_;
};

// Writes `content` byte for byte; throws std::runtime_error naming the path on failure.
void writeBinaryFile(const std::string& path, const std::string& content);

// Little-endian byte assembly of samples.
void appendLittleEndian16(std::string& out, std::int16_t value);
void appendLittleEndianFloat(std::string& out, float value);

}  // namespace zandrel::studygen
