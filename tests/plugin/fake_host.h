#pragma once

// An in-process stand-in for the host application: it makes a named module known through
// the module lookup layer, exports the host functions the plug-in calls, and records every
// call it receives in order.

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "plugin/gfzn_plugin_interface.h"

namespace zandrel::test {

struct HostCall {
    std::string function;
    std::vector<std::string> arguments;
    bool operator==(const HostCall& other) const {
        return function == other.function && arguments == other.arguments;
    }
};
std::ostream& operator<<(std::ostream& out, const HostCall& call);

HostCall logCall(const std::string& text);
HostCall messageCall(const std::string& text);

class FakeHost {
public:
    static const std::vector<std::string>& allCalledFunctions();

    // Registers the module `fileName` exporting `exports` (by default the version function
    // and the four other functions the plug-in calls). One fake host at a time.
    explicit FakeHost(std::string fileName = "Gyrafex.exe",
                      std::vector<std::string> exports = allCalledFunctions());
    ~FakeHost();
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    void setVersion(int major, int minor, int patch);
    // The version function returns without writing its out-parameters.
    void setVersionUnwritten() { versionWritten_ = false; }
    // What the file dialog writes into the plug-in's buffer (up to 511 characters and a
    // terminator); `fillUnterminated` fills all 512 bytes with 'x' and no terminator.
    void answerDialogWith(const std::string& path) { dialogAnswer_ = path; }
    void fillDialogUnterminated() { dialogUnterminated_ = true; }
    // The named host function records its call, then throws std::runtime_error
    // ("host failure in " + name): stands in for any error that arises inside a call.
    void throwFrom(const std::string& function) { throwingFunction_ = function; }
    // The module disappears from the process; the record stays.
    void unload();

    const std::vector<HostCall>& calls() const { return calls_; }
    std::vector<std::string> logTexts() const;
    void clearCalls() { calls_.clear(); }

private:
    static void getVersion(int* major, int* minor, int* patch);
    static void showLogTab();
    static void logText(const char* text);
    static void messageBox(const char* text);
    static void getOpenFileName(const char* caption, const char* second, const char* filter,
                                char* buffer);

    // Records the call, then throws when this function was chosen to fail.
    static void record(HostCall call);

    static FakeHost* active_;
    std::string fileName_;
    std::vector<HostCall> calls_;
    int version_[3] = {2, 8, 0};
    bool versionWritten_ = true;
    std::string dialogAnswer_;
    bool dialogUnterminated_ = false;
    std::string throwingFunction_;
};

// Empties the host function table and drops any text pending in the module's log, so that
// no test sees another test's bindings.
void resetPluginModule();

// A plug-in object from createPlugin, destroyed the platform's way.
struct PluginDeleter {
    void operator()(GFZNPluginInterface* plugin) const;
};
using PluginPtr = std::unique_ptr<GFZNPluginInterface, PluginDeleter>;
PluginPtr makePlugin();

}  // namespace zandrel::test
