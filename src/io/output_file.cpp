#include "io/output_file.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>

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

std::runtime_error cannotCreate(const std::string& name) {
    return std::runtime_error("Cannot Create file: " + name);
}

std::runtime_error cannotWrite(const std::string& name) {
    return std::runtime_error("Cannot write file: " + name);
}

// An existing target that we may not write (a directory, a read-only file) is refused
// before anything is created, as opening it for writing directly would be.
bool existingTargetRefusesWriting(const std::string& name) {
#ifdef _WIN32
    const int fd = _open(name.c_str(), _O_WRONLY | _O_BINARY);
    if (fd >= 0) {
        _close(fd);
        return false;
    }
#else
    const int fd = ::open(name.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return false;
    }
#endif
    return errno != ENOENT;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

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

// Creates a new file exclusively; nullptr when it exists already or cannot be created.
std::FILE* createExclusive(const std::string& path, bool binary) {
#ifdef _WIN32
    const int fd = _open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | (binary ? _O_BINARY : _O_TEXT),
                         _S_IREAD | _S_IWRITE);
    if (fd < 0) return nullptr;
    std::FILE* file = _fdopen(fd, binary ? "wb" : "w");
    if (file == nullptr) _close(fd);
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, binary ? "wb" : "w");
    if (file == nullptr) ::close(fd);
#endif
    return file;
}

bool replaceFile(const std::string& from, const std::string& to) {
#ifdef _WIN32
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
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

OutputFile::OutputFile(const std::string& target, const char* tag, const char* suffix, bool binary)
    : target_(target) {
    if (target.empty() || existingTargetRefusesWriting(target)) throw cannotCreate(target);
    const std::string folder = folderOf(target);
    // Temporaries that an ended process of ours left in this folder go first (once a run).
    sweepFolderOnce(folder);
    for (int attempt = 0; attempt < 16 && file_ == nullptr; ++attempt) {
        path_ = folder + "." + tag + "-" + processId() + "-" + randomSuffix() + suffix;
        file_ = createExclusive(path_, binary);
        if (file_ == nullptr && errno != EEXIST) break;
    }
    if (file_ == nullptr) throw cannotCreate(target);
}

OutputFile::~OutputFile() {
    if (file_ != nullptr) std::fclose(file_);
    if (!committed_) std::remove(path_.c_str());
}

void OutputFile::write(const char* data, std::size_t size) {
    if (file_ == nullptr || std::fwrite(data, 1, size, file_) != size) throw cannotWrite(target_);
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
        if (file == nullptr) throw cannotWrite(target_);
#ifndef _WIN32
        const bool ok = ::fsync(::fileno(file)) == 0 || errno == EINVAL;
        if (std::fclose(file) != 0 || !ok) throw cannotWrite(target_);
#else
        std::fclose(file);
#endif
        return;
    }
    const bool ok = flushToDisk(file);
    if (std::fclose(file) != 0 || !ok) throw cannotWrite(target_);
}

void OutputFile::commit() {
    if (file_ != nullptr) finish();
    if (!replaceFile(path_, target_)) throw cannotCreate(target_);
    committed_ = true;
}

void writeWholeFile(const std::string& target, const std::string& bytes, const char* tag) {
    OutputFile output(target, tag, ".tmp", true);
    output.write(bytes);
    output.commit();
}

}  // namespace zandrel
