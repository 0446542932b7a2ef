#include "io/output_group.h"

#include <cerrno>
#include <cstdio>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace zandrel {

namespace {

// What a target was before the group replaced it.
enum class Previous { none, keptAs, lost };

// Keeps the target's present content under `backup` by a second name for the same file, so
// the target itself stays in place until it is replaced. A file system without such names
// leaves the target unprotected (Previous::lost): it is still replaced in one step.
Previous keepPrevious(const std::string& target, const std::string& backup) {
#ifdef _WIN32
    if (CreateHardLinkA(backup.c_str(), target.c_str(), nullptr) != 0) return Previous::keptAs;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Previous::none : Previous::lost;
#else
    if (::link(target.c_str(), backup.c_str()) == 0) return Previous::keptAs;
    return errno == ENOENT ? Previous::none : Previous::lost;
#endif
}

}  // namespace

OutputFile& OutputGroup::add(const std::string& target, const char* tag, const char* suffix, bool binary) {
    members_.push_back(Member{std::make_unique<OutputFile>(target, tag, suffix, binary), tag, suffix});
    return *members_.back().file;
}

std::vector<std::string> OutputGroup::targets() const {
    std::vector<std::string> names;
    for (const Member& member : members_) names.push_back(member.file->target());
    return names;
}

void OutputGroup::commitAll() {
    // Nothing is replaced before every file is complete on the disk.
    for (Member& member : members_) {
        if (member.file->stream() != nullptr) member.file->finish();
    }

    struct Kept {
        Previous previous = Previous::none;
        std::string backup;
    };
    std::vector<Kept> kept(members_.size());
    auto dropBackups = [&] {
        for (const Kept& k : kept) {
            if (k.previous == Previous::keptAs) std::remove(k.backup.c_str());
        }
    };

    std::size_t committed = 0;
    try {
        for (std::size_t n = 0; n < members_.size(); ++n) {
            const Member& member = members_[n];
            kept[n].backup = temporaryPathBeside(member.file->target(), member.tag.c_str(), member.suffix.c_str());
            kept[n].previous = keepPrevious(member.file->target(), kept[n].backup);
        }
        for (; committed < members_.size(); ++committed) members_[committed].file->commit();
    } catch (...) {
        // Back to the previous state, as far as each target allows.
        for (std::size_t n = 0; n < committed; ++n) {
            const std::string& target = members_[n].file->target();
            std::string reason;
            if (kept[n].previous == Previous::keptAs) {
                if (replaceFile(kept[n].backup, target, reason)) kept[n].previous = Previous::none;
            } else if (kept[n].previous == Previous::none) {
                std::remove(target.c_str());
            }
        }
        dropBackups();
        throw;
    }
    dropBackups();
}

}  // namespace zandrel
