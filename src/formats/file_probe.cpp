#include "formats/file_probe.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace zandrel {

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::optional<std::uint64_t> fileSize(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(std::filesystem::path(path), error);
    if (error) return std::nullopt;
    return static_cast<std::uint64_t>(size);
}

std::string nonRegularKind(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    switch (fs::status(fs::path(path), error).type()) {
        case fs::file_type::none:
        case fs::file_type::not_found:
        case fs::file_type::regular:
            return std::string();
        case fs::file_type::directory:
            return "a folder";
        case fs::file_type::fifo:
            return "a named pipe";
        case fs::file_type::block:
        case fs::file_type::character:
            return "a device";
        case fs::file_type::socket:
            return "a socket";
        default:
            return "a special file";
    }
}

void refuseNonRegularFile(const std::string& path, const std::string& failureText) {
    const std::string kind = nonRegularKind(path);
    if (!kind.empty()) throw std::runtime_error(failureText + " (" + kind + ", not a regular file)");
}

}  // namespace zandrel
