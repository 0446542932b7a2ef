#pragma once

#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace zandrel::testing {

// An output stream that records every flushed text as one log entry, the way the host's
// log receives them. Text written without a flush is not an entry yet.
class LogCapture {
public:
    LogCapture() : stream_(&buffer_) {}
    std::ostream& stream() { return stream_; }
    const std::vector<std::string>& entries() const { return buffer_.entries; }
    std::string pending() const { return buffer_.str(); }

private:
    struct EntryBuffer : std::stringbuf {
        std::vector<std::string> entries;
        int sync() override {
            entries.push_back(str());
            str(std::string());
            return 0;
        }
    };
    EntryBuffer buffer_;
    std::ostream stream_;
};

}  // namespace zandrel::testing
