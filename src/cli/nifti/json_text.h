#pragma once

#include <cstdint>
#include <string>

namespace zandrel::nifti_json {

// The few pieces of JSON text the sidecar needs; numbers in their shortest round-trip form,
// independent of the locale.
std::string quoted(const std::string& text);  // a JSON string, escaped
std::string number(std::int64_t value);
std::string number(double value);             // null for a value that is not finite
std::string number(float value);

}  // namespace zandrel::nifti_json
