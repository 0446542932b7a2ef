#include "formats/file_probe.h"

#include <filesystem>
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

}  // namespace zandrel
