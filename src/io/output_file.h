#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace zandrel {

// One output file written the safe way, the only way the project writes a file: a fresh
// temporary file in the target's folder, flushed to the disk and renamed over the target
// only by commit(). Until then an existing target stays as it was; a temporary file that
// was not committed is removed when the object goes away.
class OutputFile {
public:
    // Creates the temporary file "<folder>.<tag>-<process id>-<random><suffix>" exclusively:
    // hidden, ours by its tag, and naming the process that writes it (the tag must be one
    // that stale_temporaries.cpp knows, or a temporary left by a killed run is never
    // removed). Before the first temporary of the run in a folder, temporaries of ours whose
    // process has ended are removed from it (sweepFolderOnce). Throws FileError
    // "Cannot Create file: " + target, with the system's reason, when the target is an
    // existing file or folder we may not write, or when no temporary file can be created.
    OutputFile(const std::string& target, const char* tag, const char* suffix, bool binary);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& target() const { return target_; }
    const std::string& temporaryPath() const { return path_; }

    // The open temporary file, for a library that writes through a stdio stream; null
    // after handOver() or finish().
    std::FILE* stream() const { return file_; }

    // Appends bytes; throws FileError "Cannot write file: " + target when they cannot be written.
    void write(const char* data, std::size_t size);
    void write(const std::string& text) { write(text.data(), text.size()); }

    // Closes our handle without flushing to disk, for a library that writes the temporary
    // file by its path itself; finish() then only flushes what that library wrote.
    void handOver();

    // Flushes to the disk and closes; throws FileError "Cannot write file: " + target on failure.
    void finish();

    // Renames the finished temporary file over the target; throws FileError "Cannot Create
    // file: " + target when that fails (the target then keeps its previous content).
    void commit();

private:
    std::string target_;
    std::string path_;
    std::FILE* file_ = nullptr;
    bool committed_ = false;
};

// The folder part of `path` with its trailing separator ('/' or '\\'); empty for a bare
// file name, so that folderOf(path) + name names a file beside `path`.
std::string folderOf(const std::string& path);

// Whether an existing `target` refuses to be written, as opening it for writing would (a
// folder, a read-only file, a path through a regular file): the errno of that refusal, 0
// when it can be written or does not exist yet.
int existingTargetRefusal(const std::string& target);

// A fresh name "<folder>.<tag>-<process id>-<random><suffix>" beside `target`, the form of
// every temporary file of ours.
std::string temporaryPathBeside(const std::string& target, const char* tag, const char* suffix);

// Renames `from` over `to` (both in one folder), replacing it in one step; false with the
// system's reason when that fails, `to` then unchanged.
bool replaceFile(const std::string& from, const std::string& to, std::string& reason);

// Writes `bytes` to `target` through an OutputFile and commits it; throws as OutputFile does.
void writeWholeFile(const std::string& target, const std::string& bytes, const char* tag);

}  // namespace zandrel
