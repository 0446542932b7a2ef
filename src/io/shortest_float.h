#pragma once

#include <string>

namespace zandrel {

// The shortest decimal text that reads back to exactly the same value ("0.1", "-0",
// "1e-07", "0.33333334"), independent of any locale. Every number the command line prints
// goes through here, so a value reads the same in every output: values that are not
// finite are spelled "NaN", "Infinity" and "-Infinity" (JSON output puts them in quotes,
// as JSON has no literal for them).
std::string shortestFloat(float value);
std::string shortestFloat(double value);

}  // namespace zandrel
