#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace zandrel {

// One output file written the safe way: a fresh temporary file in the target's folder,
// renamed over the target only by commit(). Until then an existing target stays as it
// was; a temporary file that was not committed is removed when the object goes away.
class OutputFile {
public:
    // Creates the temporary file "<folder>.<tag>-<random><suffix>" exclusively. Throws
    // std::runtime_error "Cannot Create file: " + target when the target is an existing
    // file or folder we may not write, or when no temporary file can be created.
    OutputFile(const std::string& target, const char* tag, const char* suffix, bool binary);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& target() const { return target_; }
    const std::string& temporaryPath() const { return path_; }

    // Appends bytes; throws "Cannot write file: " + target when they cannot be written.
    void write(const char* data, std::size_t size);
    void write(const std::string& text) { write(text.data(), text.size()); }

    // Closes our handle without flushing to disk, for a library that writes the temporary
    // file by its path itself; finish() then only flushes what that library wrote.
    void handOver();

    // Flushes to the disk and closes; throws "Cannot write file: " + target on failure.
    void finish();

    // Renames the finished temporary file over the target; throws "Cannot Create file: "
    // + target when that fails (the target then keeps its previous content).
    void commit();

private:
    std::string target_;
    std::string path_;
    std::FILE* file_ = nullptr;
    bool committed_ = false;
};

}  // namespace zandrel
