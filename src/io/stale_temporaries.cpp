#include "io/stale_temporaries.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <set>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <signal.h>
#include <sys/types.h>
#endif

namespace zandrel {

namespace fs = std::filesystem;

namespace {

// Every tag the project's writers give OutputFile. A name with any other tag is not ours.
const char* const kTags[] = {"voi", "nii", "txt", "tsv", "json", "roi", "png", "html", "marker", "coverage"};
const char* const kSuffixes[] = {".tmp", ".tmp.nii.gz"};
constexpr std::size_t kRandomDigits = 16;

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool isLowerHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

// The folders swept so far. The lock is a flag rather than a mutex: the plug-in's Windows
// build has no std::mutex, and it is held only to look up and insert one name.
class SweptFolders {
public:
    // True the first time a folder is named.
    bool firstTime(const std::string& key) {
        while (lock_.test_and_set(std::memory_order_acquire)) {
        }
        bool inserted = false;
        try {
            inserted = folders_.insert(key).second;
        } catch (...) {
            inserted = false;  // no memory: skip the sweep, it is only housekeeping
        }
        lock_.clear(std::memory_order_release);
        return inserted;
    }

private:
    std::atomic_flag lock_ = ATOMIC_FLAG_INIT;
    std::set<std::string> folders_;
};

SweptFolders& sweptFolders() {
    static SweptFolders folders;
    return folders;
}

}  // namespace

std::optional<long> temporaryFileOwner(const std::string& name) {
    if (name.size() < 2 || name[0] != '.') return std::nullopt;
    std::string rest;
    for (const char* suffix : kSuffixes) {
        if (endsWith(name, suffix)) rest = name.substr(1, name.size() - 1 - std::string(suffix).size());
    }
    if (rest.empty()) return std::nullopt;
    const std::size_t dash = rest.find('-');
    if (dash == std::string::npos) return std::nullopt;
    const std::string tag = rest.substr(0, dash);
    bool known = false;
    for (const char* ours : kTags) known = known || tag == ours;
    if (!known) return std::nullopt;
    const std::size_t secondDash = rest.find('-', dash + 1);
    if (secondDash == std::string::npos || rest.size() - secondDash - 1 != kRandomDigits) return std::nullopt;
    for (std::size_t n = secondDash + 1; n < rest.size(); ++n)
        if (!isLowerHex(rest[n])) return std::nullopt;
    const std::string digits = rest.substr(dash + 1, secondDash - dash - 1);
    if (digits.empty() || digits.size() > 10 || digits[0] == '0') return std::nullopt;
    long pid = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return std::nullopt;
        pid = pid * 10 + (c - '0');
    }
    if (pid > INT_MAX) return std::nullopt;
    return pid;
}

bool processMayExist(long pid) {
    if (pid <= 0 || pid > INT_MAX) return false;
#ifdef _WIN32
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process != nullptr) {
        CloseHandle(process);
        return true;
    }
    // Access denied and every other failure: some process may hold the id.
    return GetLastError() != ERROR_INVALID_PARAMETER;
#else
    // Signal 0 only asks; EPERM means the process exists but belongs to someone else.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
#endif
}

int removeStaleTemporaries(const std::string& folder) noexcept {
    int removed = 0;
    try {
        std::error_code error;
        fs::directory_iterator entries(folder.empty() ? fs::path(".") : fs::path(folder), error);
        for (const fs::directory_iterator end; !error && entries != end; entries.increment(error)) {
            const std::optional<long> owner = temporaryFileOwner(entries->path().filename().string());
            if (!owner || processMayExist(*owner)) continue;
            std::error_code fileError;
            // Only a regular file, as OutputFile creates it; never a folder or a link.
            if (!fs::is_regular_file(entries->symlink_status(fileError)) || fileError) continue;
            if (fs::remove(entries->path(), fileError)) ++removed;
        }
    } catch (...) {
        // Housekeeping only: a folder that cannot be listed keeps what it holds.
    }
    return removed;
}

void sweepFolderOnce(const std::string& folder) noexcept {
    try {
        std::error_code error;
        const fs::path absolute = fs::absolute(folder.empty() ? fs::path(".") : fs::path(folder), error);
        // "dir" and "dir/" are the same folder: the key always ends in a separator.
        const std::string key = error ? folder : (absolute / fs::path()).lexically_normal().string();
        if (sweptFolders().firstTime(key)) removeStaleTemporaries(folder);
    } catch (...) {
        // As above: nothing here may stop a file from being written.
    }
}

}  // namespace zandrel
