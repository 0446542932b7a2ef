#include "formats/keyed_field.h"

namespace zandrel {

void setValue(KeyedInt& field, const std::string& key, std::int32_t value, std::int32_t width) {
    field.key = key;
    field.value = value;
    field.width = width;
    field.present = true;
}

void setValue(KeyedFloat& field, const std::string& key, float value, std::int32_t width) {
    field.key = key;
    field.value = value;
    field.width = width;
    field.present = true;
}

void setValue(KeyedBool& field, const std::string& key, bool value, std::int32_t width) {
    field.key = key;
    field.value = value;
    field.width = width;
    field.present = true;
}

void setValue(KeyedText& field, const std::string& key, const std::string& value, std::int32_t width,
              bool quoted) {
    field.key = key;
    field.value = value;
    field.width = width;
    field.quoted = quoted;
    field.present = true;
}

}  // namespace zandrel
