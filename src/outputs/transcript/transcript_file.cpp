#include "outputs/transcript/transcript_file.h"

#include "io/json_string.h"

namespace zandrel {

bool TranscriptFile::open(const std::string& path) {
    // Binary: one "\n" per JSON line on every platform.
    file_.open(path, std::ios::out | std::ios::binary | std::ios::trunc);
    open_ = file_.is_open();
    return open_;
}

void TranscriptFile::append(const std::string& entry) {
    if (open_) file_ << jsonString(entry) << '\n' << std::flush;
}

bool TranscriptFile::close() {
    if (!open_) return true;
    open_ = false;
    file_.close();
    return !file_.fail();
}

}  // namespace zandrel
