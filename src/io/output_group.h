#pragma once

#include <memory>
#include <string>
#include <vector>

#include "io/output_file.h"

namespace zandrel {

// Files that are complete together or not replaced at all: the images, table and sidecar
// of one set. Every file is written to its own temporary file first; commitAll() replaces
// the targets only once every temporary file is finished. Should a rename still fail
// half-way, the targets already replaced get their previous content back (kept as a hard
// link while the group commits) or, when they did not exist before, are removed again. On a
// file system without hard links a replaced target cannot be given back: it keeps the new,
// complete content.
// Temporary files not committed are removed when the group goes away.
class OutputGroup {
public:
    // Starts one more file of the group; throws as the OutputFile constructor does. The
    // reference stays valid while the group lives.
    OutputFile& add(const std::string& target, const char* tag, const char* suffix, bool binary);

    // Finishes every file, then renames each over its target. Throws FileError (or what
    // finish() throws) when any step fails, every target then as it was before.
    void commitAll();

    // The targets, in the order they were added.
    std::vector<std::string> targets() const;

private:
    struct Member {
        std::unique_ptr<OutputFile> file;
        std::string tag;
        std::string suffix;
    };
    std::vector<Member> members_;
};

}  // namespace zandrel
