#pragma once

#include <cstdint>
#include <string>

namespace zandrel {

// One entry of a keyed text file: key (without its colon), value, the width of the
// key column (key word with colon plus the blanks and tabs before the value) and
// whether the key was met. Numbers that were never read are 0 so that nothing
// downstream sees an indeterminate value.
struct KeyedInt {
    std::string key;
    std::int32_t value = 0;
    std::int32_t width = 0;
    bool present = false;
};

struct KeyedFloat {
    std::string key;
    float value = 0.0f;
    std::int32_t width = 0;
    bool present = false;
};

struct KeyedBool {
    std::string key;
    bool value = false;
    std::int32_t width = 0;
    bool present = false;
};

struct KeyedText {
    std::string key;
    std::string value;
    std::int32_t width = 0;
    bool quoted = false;
    bool present = false;
};

// Assigns key (without colon), value and width, and marks the field present.
void setValue(KeyedInt& field, const std::string& key, std::int32_t value, std::int32_t width);
void setValue(KeyedFloat& field, const std::string& key, float value, std::int32_t width);
void setValue(KeyedBool& field, const std::string& key, bool value, std::int32_t width);
void setValue(KeyedText& field, const std::string& key, const std::string& value, std::int32_t width,
              bool quoted);

}  // namespace zandrel
