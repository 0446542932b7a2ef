#include "io/shortest_float.h"

#include <charconv>
#include <cmath>

namespace zandrel {

namespace {

template <class Number>
std::string shortestText(Number value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    char buffer[64];
    const std::to_chars_result written = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, written.ptr);
}

}  // namespace

std::string shortestFloat(float value) { return shortestText(value); }
std::string shortestFloat(double value) { return shortestText(value); }

}  // namespace zandrel
