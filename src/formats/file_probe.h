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

// What stands at `path` when it exists but is no regular file (links followed): "a folder",
// "a named pipe", "a device", "a socket" or "a special file". Empty for a regular file
// and for a path that does not exist or cannot be examined, which opening then reports.
// Opening a named pipe for reading waits for a writer, and a folder or device would read
// as an empty or endless file, so readers ask this before they open.
std::string nonRegularKind(const std::string& path);

// Throws std::runtime_error(failureText + " (" + kind + ", not a regular file)") when
// `path` exists but is no regular file, so that nothing opens it; returns quietly otherwise.
void refuseNonRegularFile(const std::string& path, const std::string& failureText);

}  // namespace zandrel
