#include "plugin/log_stream.h"

#include <string>

#include "plugin/host_functions.h"

namespace zandrel {

GFZNLog pluginLog;

void sendLogText(const char* text) noexcept {
    try {
        if (hostFunctions.znLogText != nullptr) hostFunctions.znLogText(text);
    } catch (...) {
        // An error raised inside the host's log function loses this entry and nothing else.
    }
}

GFZNLog::GFZNBuf::~GFZNBuf() {
    pubsync();
}

int GFZNLog::GFZNBuf::sync() {
    // Without a bound log function there is nobody to copy the text for.
    if (hostFunctions.znLogText != nullptr) {
        try {
            const std::string text = str();
            sendLogText(text.c_str());
        } catch (...) {
            // Copying the text failed (out of memory): this entry is lost, the stream goes on.
        }
    }
    // Assigning an empty text allocates nothing, so the reset cannot fail.
    str(std::string());
    return 0;
}

GFZNLog::GFZNLog() : std::ostream(nullptr), buffer_(new GFZNBuf) {
    rdbuf(buffer_);  // also clears the error state the null buffer set
}

GFZNLog::~GFZNLog() {
    // Detach first, so the stream never refers to a destroyed buffer.
    rdbuf(nullptr);
    delete buffer_;
    sendLogText("Destructor of GFZNLog never called");
}

}  // namespace zandrel
