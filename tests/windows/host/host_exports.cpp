// The host functions the plug-in binds by name from this executable. Each one records the
// call, with its arguments, in the transcript and then does what its call contract promises.
// A null text or buffer breaks the contract: it is recorded as a violation and never read.

#include "host_settings.h"
#include "transcript.h"

#include <cstring>
#include <string>

#define ZANDREL_HOST_EXPORT extern "C" __declspec(dllexport)

using zandrel::hostemu::JsonLine;
using zandrel::hostemu::hostSettings;
using zandrel::hostemu::record;

namespace {

void recordViolation(const char* function, const char* what) {
    record(JsonLine().text("call", function).text("violation", what));
}

}  // namespace

ZANDREL_HOST_EXPORT void znGetVersionOfGyrafexZN(int* major, int* minor, int* patch) {
    if (major == nullptr || minor == nullptr || patch == nullptr) {
        recordViolation("znGetVersionOfGyrafexZN", "null out-parameter");
        return;
    }
    const auto& settings = hostSettings();
    *major = settings.major;
    *minor = settings.minor;
    *patch = settings.patch;
    record(JsonLine()
               .text("call", "znGetVersionOfGyrafexZN")
               .number("major", settings.major)
               .number("minor", settings.minor)
               .number("patch", settings.patch));
}

ZANDREL_HOST_EXPORT void znShowLogTab() {
    record(JsonLine().text("call", "znShowLogTab"));
}

ZANDREL_HOST_EXPORT void znLogText(const char* text) {
    if (text == nullptr) {
        recordViolation("znLogText", "null text");
        return;
    }
    record(JsonLine().text("call", "znLogText").text("text", text));
}

ZANDREL_HOST_EXPORT void znMessageBox(const char* text) {
    if (text == nullptr) {
        recordViolation("znMessageBox", "null text");
        return;
    }
    record(JsonLine().text("call", "znMessageBox").text("text", text));
}

// The dialog writes the chosen path, cut to 511 bytes plus the terminator, into the caller's
// 512-byte buffer. A cancelled dialog leaves the buffer as it was.
ZANDREL_HOST_EXPORT void znGetOpenFileName(const char* caption, const char* second, const char* filter,
                                           char* buffer) {
    if (caption == nullptr || second == nullptr || filter == nullptr || buffer == nullptr) {
        recordViolation("znGetOpenFileName", "null argument");
        return;
    }
    JsonLine line;
    line.text("call", "znGetOpenFileName").text("caption", caption).text("second", second).text("filter", filter);
    const auto& settings = hostSettings();
    if (settings.cancelDialog) {
        record(line.null("path"));
        return;
    }
    const std::size_t length = settings.openFile.size() < 511 ? settings.openFile.size() : 511;
    std::memcpy(buffer, settings.openFile.data(), length);
    buffer[length] = '\0';
    record(line.text("path", std::string(buffer, length)));
}
