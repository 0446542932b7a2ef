#include "plugin/zandrel.h"

#include <exception>
#include <new>
#include <string>

#include "batch/batch_run.h"
#include "batch/log_wording.h"
#include "plugin/host_functions.h"
#include "plugin/log_stream.h"
#include "plugin/plugin_texts.h"

using zandrel::hostFunctions;
using zandrel::pluginLog;

namespace {

// A message box for an entry that may be unbound: the host only guarantees the version
// function, and an unbound function is never called.
void showMessage(const char* text) {
    if (hostFunctions.znMessageBox != nullptr) hostFunctions.znMessageBox(text);
}

// Each entry point starts from a usable log: an insertion that failed earlier (out of
// memory) leaves the stream in a failed state that would swallow every later message.
void readyLog() {
    pluginLog.clear();
}

// The batch's events reach the host worded, as any plug-in message does: each entry inserted
// into pluginLog and flushed, one host log text per entry.
class PluginLogObserver : public zandrel::LogEntryObserver {
public:
    void onEntry(const std::string& text) override {
        readyLog();
        pluginLog << text << std::flush;
    }
};

// An error that left the batch; nothing may leave execute, so neither may this.
void stopped(PluginLogObserver& log, const char* error) noexcept {
    try {
        log.onEvent(zandrel::BatchStopped{error});
    } catch (...) {
    }
}

}  // namespace

Zandrel::~Zandrel() {
    try {
        readyLog();
        pluginLog << zandrel::kPluginName << ">  Plugin finished!" << "\n" << std::flush;
    } catch (...) {
        // Nothing may leave the destructor; the log stream does not throw by itself.
    }
}

bool Zandrel::initPlugin() {
    try {
        if (!zandrel::bindHostFunctions()) return false;

        // Preset so that a host which writes nothing is refused rather than read as garbage.
        int major = 0;
        int minor = 0;
        int patch = 0;
        hostFunctions.znGetVersionOfGyrafexZN(&major, &minor, &patch);
        if (!zandrel::isVersionAtLeast(major, minor, patch, 2, 8, 0)) {
            showMessage(zandrel::kHostTooOldText);
            return false;
        }

        if (hostFunctions.znShowLogTab != nullptr) hostFunctions.znShowLogTab();
        readyLog();
        pluginLog << "\n" << zandrel::kPluginName << ">  Running..." << std::flush;
        return true;
    } catch (...) {
        return false;
    }
}

bool Zandrel::execute() {
    PluginLogObserver log;
    try {
        // Starts as an empty text: a cancelled dialog, or a host that writes nothing, then
        // leaves a path that cannot be opened, which is reported like any unreadable list.
        char fileName[zandrel::kFileNameBufferSize] = {};
        if (hostFunctions.znGetOpenFileName != nullptr) {
            hostFunctions.znGetOpenFileName(zandrel::kListDialogCaption, "",
                                            zandrel::kListDialogFilter, fileName);
        }
        // Never read past the buffer, whatever the host left in it.
        fileName[zandrel::kFileNameBufferSize - 1] = '\0';

        const zandrel::BatchSummary summary = zandrel::runBatch(fileName, log);
        if (!summary.listReadable) showMessage(zandrel::kListUnreadableText);
    } catch (const std::exception& error) {
        stopped(log, error.what());
    } catch (...) {
        stopped(log, zandrel::kUnknownError);
    }
    return true;
}

#if ZANDREL_MS_VTABLE_LAYOUT
void* Zandrel::scalarDeletingDestructor(unsigned int flags) noexcept {
    // The address is taken before the object ends; only the value is used afterwards.
    void* const storage = this;
    this->~Zandrel();
    if ((flags & 1u) != 0) ::operator delete(storage);
    return storage;
}
#endif
