#pragma once

#include <cstdint>
#include <string>

namespace zandrel {

// One entry of a keyed text file: key (without its colon), value, the width of the
// key column (key word with colon plus the blanks and tabs before the value) and
// whether the key was met. Numbers that were never read are 0 so that nothing
// downstream sees an indeterminate value.
template <class Value>
struct Keyed {
    std::string key;
    Value value{};
    std::int32_t width = 0;
    bool present = false;
};

// A text entry also tells whether its value stood between double quotes; the flag
// stands before `present`, so the members keep the order of the other entries.
template <>
struct Keyed<std::string> {
    std::string key;
    std::string value;
    std::int32_t width = 0;
    bool quoted = false;
    bool present = false;
};

using KeyedInt = Keyed<std::int32_t>;
using KeyedFloat = Keyed<float>;
using KeyedBool = Keyed<bool>;
using KeyedText = Keyed<std::string>;

}  // namespace zandrel
