#pragma once

#include <optional>
#include <string>

namespace zandrel {

// Temporary files that a process of ours left behind when it was ended before it could
// remove them (killed, or a second Ctrl-C): OutputFile names each
// ".<tag>-<process id>-<16 hex digits><suffix>", so its writer can be told from the name.

// The process id in `name` when it is the name of one of our temporary files (one of our
// tags, ".tmp" or ".tmp.nii.gz" at its end); nothing for any other name.
std::optional<long> temporaryFileOwner(const std::string& name);

// Whether a process with this id may still exist: false only when the system says that
// there is none. Never true for an id that no process can have (0 or below).
bool processMayExist(long pid);

// Removes the temporary files of ours in `folder` (empty: the current folder) whose process
// no longer exists. Another live process's temporary, and every other file, stays. Returns
// how many were removed; never throws.
int removeStaleTemporaries(const std::string& folder) noexcept;

// removeStaleTemporaries, once per folder for the life of the process: OutputFile calls it
// before it writes into a folder. Safe from several threads.
void sweepFolderOnce(const std::string& folder) noexcept;

}  // namespace zandrel
