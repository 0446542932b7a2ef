#include "cli/entry_stream.h"

#include <utility>

namespace zandrel::cli {

EntryStream::EntryStream(Sink sink) : std::ostream(nullptr), buffer_(std::move(sink)) {
    // The buffer is a member, constructed after the stream base: attach it now.
    rdbuf(&buffer_);
}

int EntryStream::Buffer::sync() {
    std::string entry = str();
    if (entry.empty()) return 0;
    str(std::string());
    sink_(entry);
    return 0;
}

}  // namespace zandrel::cli
