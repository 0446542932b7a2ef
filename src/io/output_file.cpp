#include "io/output_file.h"

#include "io/file_error.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>

#include "io/stale_temporaries.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zandrel {

namespace {

std::string processId() {
#ifdef _WIN32
    return std::to_string(_getpid());
#else
    return std::to_string(::getpid());
#endif
}

std::string randomSuffix() {
    static std::uint64_t counter = 0;
    std::uint64_t bits = static_cast<std::uint64_t>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    try {
        std::random_device device;
        bits ^= (static_cast<std::uint64_t>(device()) << 32) ^ device();
    } catch (const std::exception&) {
        // No entropy source: the clock and the counter still make the name unique enough,
        // and the exclusive creation below never overwrites anything.
    }
    bits ^= ++counter * 0x9E3779B97F4A7C15ull;
    static const char digits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int n = 15; n >= 0; --n, bits >>= 4) text[static_cast<std::size_t>(n)] = digits[bits & 15];
    return text;
}

// Creates a new file exclusively; nullptr when it exists already or cannot be created,
// with the errno of the failure in `error`.
std::FILE* createExclusive(const std::string& path, bool binary, int& error) {
#ifdef _WIN32
    const int fd = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | (binary ? _O_BINARY : _O_TEXT),
                         _S_IREAD | _S_IWRITE);
    error = errno;
    if (fd < 0) return nullptr;
    std::FILE* file = _fdopen(fd, binary ? "wb" : "w");
    error = errno;
    if (file == nullptr) _close(fd);
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    error = errno;
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, binary ? "wb" : "w");
    error = errno;
    if (file == nullptr) ::close(fd);
#endif
    return file;
}

bool flushToDisk(std::FILE* file) {
    bool ok = std::fflush(file) == 0 && std::ferror(file) == 0;
#ifdef _WIN32
    ok = ok && _commit(_fileno(file)) == 0;
#else
    // Folders that cannot sync (EINVAL) still hold the data once the file is closed.
    ok = ok && (::fsync(::fileno(file)) == 0 || errno == EINVAL);
#endif
    return ok;
}

}  // namespace

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// An existing target that we may not write (a directory, a read-only file) is refused
// before anything is created, as opening it for writing directly would be: the errno of
// that refusal, 0 when the target can be written or does not exist yet.
int existingTargetRefusal(const std::string& name) {
#ifdef _WIN32
    const int fd = _open(name.c_str(), _O_WRONLY | _O_BINARY);
    if (fd >= 0) {
        _close(fd);
        return 0;
    }
#else
    const int fd = ::open(name.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return 0;
    }
#endif
    return errno == ENOENT ? 0 : errno;
}

std::string temporaryPathBeside(const std::string& target, const char* tag, const char* suffix) {
    return folderOf(target) + "." + tag + "-" + processId() + "-" + randomSuffix() + suffix;
}

bool replaceFile(const std::string& from, const std::string& to, std::string& reason) {
#ifdef _WIN32
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0) return true;
    reason = std::system_category().message(static_cast<int>(GetLastError()));
    return false;
#else
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    reason = systemReason(errno);
    return false;
#endif
}

OutputFile::OutputFile(const std::string& target, const char* tag, const char* suffix, bool binary)
    : target_(target) {
    if (target.empty()) throw cannotCreateFile(target, ENOENT);
    int error = existingTargetRefusal(target);
    if (error != 0) throw cannotCreateFile(target, error);
    // Temporaries that an ended process of ours left in this folder go first (once a run).
    sweepFolderOnce(folderOf(target));
    for (int attempt = 0; attempt < 16 && file_ == nullptr; ++attempt) {
        path_ = temporaryPathBeside(target, tag, suffix);
        file_ = createExclusive(path_, binary, error);
        if (file_ == nullptr && error != EEXIST) break;
    }
    if (file_ == nullptr) throw cannotCreateFile(target, error);
}

OutputFile::~OutputFile() {
    if (file_ != nullptr) std::fclose(file_);
    if (!committed_) std::remove(path_.c_str());
}

void OutputFile::write(const char* data, std::size_t size) {
    if (file_ == nullptr) throw cannotWriteFile(target_, EBADF);
    if (std::fwrite(data, 1, size, file_) != size) throw cannotWriteFile(target_, errno);
}

void OutputFile::handOver() {
    if (file_ == nullptr) return;
    std::FILE* file = file_;
    file_ = nullptr;
    std::fclose(file);
}

void OutputFile::finish() {
    std::FILE* file = file_;
    file_ = nullptr;
    if (file == nullptr) {
        // Written by someone else through the path: reopen only to flush it to the disk.
        file = std::fopen(path_.c_str(), "rb");
        if (file == nullptr) throw cannotWriteFile(target_, errno);
#ifndef _WIN32
        const bool ok = ::fsync(::fileno(file)) == 0 || errno == EINVAL;
        const int error = errno;
        if (std::fclose(file) != 0 || !ok) throw cannotWriteFile(target_, ok ? errno : error);
#else
        std::fclose(file);
#endif
        return;
    }
    const bool ok = flushToDisk(file);
    const int error = errno;
    if (std::fclose(file) != 0 || !ok) throw cannotWriteFile(target_, ok ? errno : error);
}

void OutputFile::commit() {
    if (file_ != nullptr) finish();
    std::string reason;
    if (!replaceFile(path_, target_, reason)) throw cannotCreateFile(target_, std::move(reason));
    committed_ = true;
}

void writeWholeFile(const std::string& target, const std::string& bytes, const char* tag) {
    OutputFile output(target, tag, ".tmp", true);
    output.write(bytes);
    output.commit();
}

}  // namespace zandrel
