#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zandrel {

// The part of `path` up to and including its last '/' or '\\', whichever comes later;
// empty when it has neither.
std::string directoryOf(const std::string& path);

// Size of the file in bytes, from the file system (links followed); nothing when it
// cannot be told. Not found by seeking a stream: in text mode on Windows a CR LF file
// reports positions that do not match the characters read.
std::optional<std::uint64_t> fileSize(const std::string& path);

}  // namespace zandrel
