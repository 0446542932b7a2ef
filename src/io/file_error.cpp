#include "io/file_error.h"

#include <system_error>

namespace zandrel {

std::string systemReason(int errorNumber) {
    if (errorNumber == 0) return {};
    return std::generic_category().message(errorNumber);
}

FileError cannotCreateFile(const std::string& name, int errorNumber) {
    return FileError("Cannot Create file: " + name, systemReason(errorNumber));
}

FileError cannotCreateFile(const std::string& name, std::string reason) {
    return FileError("Cannot Create file: " + name, std::move(reason));
}

FileError cannotWriteFile(const std::string& name, int errorNumber) {
    return FileError("Cannot write file: " + name, systemReason(errorNumber));
}

std::string withReason(const std::string& text, const std::string& reason) {
    return reason.empty() ? text : text + ": " + reason;
}

}  // namespace zandrel
