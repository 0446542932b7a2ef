#pragma once

#include <string>

namespace zandrel {

// Why `target` could not be written where it is, as writing it would find: the system's
// reason ("Permission denied", "No such file or directory", "Not a directory"), empty when
// it can be. With `foldersMayBeCreated`, a missing folder above it is fine when the nearest
// folder that exists can be written, as createFoldersFor would then make the rest.
std::string creationRefusal(const std::string& target, bool foldersMayBeCreated);

// Creates the missing folders above `target`; throws FileError "Cannot Create file: " +
// target, with the system's reason, when one cannot be created.
void createFoldersFor(const std::string& target);

}  // namespace zandrel
