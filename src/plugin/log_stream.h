#pragma once

// The plug-in's log: ordinary stream insertion whose text reaches the host's log pane.
// Every flush hands the whole text collected since the previous flush to the host as one
// entry, so each message is written with insertions and ended with std::flush.

#include <ostream>
#include <sstream>

namespace zandrel {

class GFZNLog : public std::ostream {
public:
    // Collects the written text in memory; every synchronisation sends it as one entry.
    class GFZNBuf : public std::stringbuf {
    public:
        GFZNBuf() = default;
        // Sends what is still pending (possibly nothing, as an empty entry) once more.
        ~GFZNBuf() override;

    protected:
        // Sends the collected text, also when it is empty, and starts again empty. Always
        // answers success and never throws: text that cannot be copied, or that has no
        // bound log function to go to, is dropped.
        int sync() override;
    };

    GFZNLog();
    // Sends the pending text, then the stream's own closing text.
    ~GFZNLog() override;

    GFZNLog(const GFZNLog&) = delete;
    GFZNLog& operator=(const GFZNLog&) = delete;

private:
    GFZNBuf* buffer_;
};

// The module's single log stream.
extern GFZNLog pluginLog;

// Hands one text to the host's log; dropped when the host's log function is not bound or
// fails.
void sendLogText(const char* text) noexcept;

}  // namespace zandrel
