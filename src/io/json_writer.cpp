#include "io/json_writer.h"

#include <charconv>
#include <cmath>

#include "io/json_string.h"
#include "io/shortest_float.h"

namespace zandrel {

namespace {

template <class Number>
std::string numberText(Number number) {
    const std::string text = shortestFloat(number);
    return std::isfinite(number) ? text : "\"" + text + "\"";
}

}  // namespace

std::string jsonNumber(float number) { return numberText(number); }
std::string jsonNumber(double number) { return numberText(number); }

void JsonWriter::newline(std::size_t depth) {
    out_ << '\n';
    for (std::size_t i = 0; i < depth; ++i) out_ << "  ";
}

void JsonWriter::beginValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (levels_.empty()) return;
    Level& level = levels_.back();
    if (level.members++ > 0) out_ << ',';
    if (level.inlined) {
        if (level.members > 1) out_ << ' ';
    } else {
        newline(levels_.size());
    }
}

JsonWriter& JsonWriter::key(const std::string& name) {
    beginValue();
    out_ << jsonString(name) << ": ";
    afterKey_ = true;
    return *this;
}

void JsonWriter::begin(bool inlined, char bracket) {
    beginValue();
    const bool outerInline = !levels_.empty() && levels_.back().inlined;
    levels_.push_back(Level{inlined || outerInline, 0});
    out_ << bracket;
}

void JsonWriter::end(char bracket) {
    const Level level = levels_.back();
    levels_.pop_back();
    if (!level.inlined && level.members > 0) newline(levels_.size());
    out_ << bracket;
    if (levels_.empty()) out_ << '\n';
}

void JsonWriter::beginObject(bool inlined) { begin(inlined, '{'); }
void JsonWriter::endObject() { end('}'); }
void JsonWriter::beginArray(bool inlined) { begin(inlined, '['); }
void JsonWriter::endArray() { end(']'); }

void JsonWriter::string(const std::string& text) {
    beginValue();
    out_ << jsonString(text);
}

void JsonWriter::integer(std::int64_t number) {
    beginValue();
    char buffer[24];
    const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, number);
    out_.write(buffer, result.ptr - buffer);
}

void JsonWriter::number(float number) {
    beginValue();
    out_ << jsonNumber(number);
}

void JsonWriter::number(double number) {
    beginValue();
    out_ << jsonNumber(number);
}

void JsonWriter::boolean(bool flag) {
    beginValue();
    out_ << (flag ? "true" : "false");
}

void JsonWriter::null() {
    beginValue();
    out_ << "null";
}

}  // namespace zandrel
