#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace zandrel {

// Writes one JSON document to a stream, container by container. Containers opened
// "inline" (and everything inside them) stay on one line; the others put each member on
// a line of its own, indented by two blanks per level. Numbers never pass through the
// stream's locale: floats are written by shortestFloat, values that are not finite as the
// strings "NaN", "Infinity", "-Infinity".
// Texts go through jsonString: bytes that are not UTF-8 keep their Latin-1 reading.
class JsonWriter {
public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}

    void beginObject(bool inlined = false);
    void endObject();
    void beginArray(bool inlined = false);
    void endArray();

    // Names the next member of the current object.
    JsonWriter& key(const std::string& name);

    void string(const std::string& text);
    void integer(std::int64_t number);
    void number(float number);
    void number(double number);
    void boolean(bool flag);
    void null();

private:
    struct Level {
        bool inlined;
        std::size_t members;
    };

    void beginValue();
    void begin(bool inlined, char bracket);
    void end(char bracket);
    void newline(std::size_t depth);

    std::ostream& out_;
    std::vector<Level> levels_;
    bool afterKey_ = false;
};

// A number as a JSON value: shortestFloat's text, quoted when the number is not finite.
std::string jsonNumber(float number);
std::string jsonNumber(double number);

}  // namespace zandrel
