#pragma once

#include <functional>
#include <ostream>
#include <sstream>
#include <string>

namespace zandrel::cli {

// An output stream whose every flush hands the text written since the last flush to
// `sink` as one log entry, the way the host's log receives the batch's messages.
// A flush with nothing written is no entry.
class EntryStream : public std::ostream {
public:
    using Sink = std::function<void(const std::string& entry)>;

    explicit EntryStream(Sink sink);
    EntryStream(const EntryStream&) = delete;
    EntryStream& operator=(const EntryStream&) = delete;

private:
    class Buffer : public std::stringbuf {
    public:
        explicit Buffer(Sink sink) : sink_(std::move(sink)) {}

    protected:
        int sync() override;

    private:
        Sink sink_;
    };

    Buffer buffer_;
};

}  // namespace zandrel::cli
