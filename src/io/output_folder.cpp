#include "io/output_folder.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "io/file_error.h"
#include "io/output_file.h"

#ifdef _WIN32
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zandrel {

namespace {

namespace fs = std::filesystem;

// The folder that holds `target`: "." for a bare file name.
fs::path containingFolder(const std::string& target) {
    const fs::path folder = fs::path(target).parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// Whether a new file can be made in the existing `folder`: the system's reason when not.
std::string folderRefusal(const fs::path& folder) {
#ifdef _WIN32
    std::error_code error;
    const fs::file_type type = fs::status(folder, error).type();
    if (type == fs::file_type::not_found) return systemReason(ENOENT);
    if (error) return error.message();
    return type == fs::file_type::directory ? std::string() : systemReason(ENOTDIR);
#else
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) return systemReason(errno);
    if (!S_ISDIR(status.st_mode)) return systemReason(ENOTDIR);
    if (::access(folder.c_str(), W_OK | X_OK) != 0) return systemReason(errno);
    return {};
#endif
}

bool isThere(const fs::path& path) {
    std::error_code error;
    return fs::symlink_status(path, error).type() != fs::file_type::not_found && !error;
}

}  // namespace

std::string creationRefusal(const std::string& target, bool foldersMayBeCreated) {
    if (target.empty()) return systemReason(ENOENT);
    if (const int refusal = existingTargetRefusal(target); refusal != 0) return systemReason(refusal);
    fs::path folder = containingFolder(target);
    if (foldersMayBeCreated) {
        // The nearest folder that exists decides; an existing file on the way is no folder.
        while (!isThere(folder) && folder.has_relative_path() && folder.has_parent_path() &&
               folder.parent_path() != folder) {
            folder = folder.parent_path();
        }
        if (!isThere(folder) && !folder.has_parent_path()) folder = ".";
    }
    return folderRefusal(folder);
}

void createFoldersFor(const std::string& target) {
    const fs::path folder = fs::path(target).parent_path();
    if (folder.empty()) return;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) throw cannotCreateFile(target, error.message());
}

}  // namespace zandrel
