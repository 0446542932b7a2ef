#include "fake_host.h"

#include <cstring>
#include <map>
#include <stdexcept>
#include <utility>

#include "plugin/host_functions.h"
#include "plugin/log_stream.h"
#include "plugin/module_lookup.h"
#include "plugin/plugin_destroy.h"
#include "plugin/plugin_exports.h"

namespace zandrel::test {

FakeHost* FakeHost::active_ = nullptr;

std::ostream& operator<<(std::ostream& out, const HostCall& call) {
    out << call.function << "(";
    for (std::size_t i = 0; i < call.arguments.size(); ++i) {
        out << (i == 0 ? "" : ", ") << '"' << call.arguments[i] << '"';
    }
    return out << ")";
}

HostCall logCall(const std::string& text) { return {"znLogText", {text}}; }
HostCall messageCall(const std::string& text) { return {"znMessageBox", {text}}; }

const std::vector<std::string>& FakeHost::allCalledFunctions() {
    static const std::vector<std::string> names = {"znGetVersionOfGyrafexZN", "znShowLogTab",
                                                   "znLogText", "znMessageBox",
                                                   "znGetOpenFileName"};
    return names;
}

FakeHost::FakeHost(std::string fileName, std::vector<std::string> exports)
    : fileName_(std::move(fileName)) {
    if (active_ != nullptr) throw std::logic_error("one fake host at a time");
    const std::map<std::string, HostProc> available = {
        {"znGetVersionOfGyrafexZN", reinterpret_cast<HostProc>(&getVersion)},
        {"znShowLogTab", reinterpret_cast<HostProc>(&showLogTab)},
        {"znLogText", reinterpret_cast<HostProc>(&logText)},
        {"znMessageBox", reinterpret_cast<HostProc>(&messageBox)},
        {"znGetOpenFileName", reinterpret_cast<HostProc>(&getOpenFileName)},
    };
    std::map<std::string, HostProc> exported;
    for (const std::string& name : exports) exported[name] = available.at(name);
    registerModule(fileName_, exported);
    active_ = this;
}

FakeHost::~FakeHost() {
    unload();
    // Nothing in the module may call into a host that no longer exists.
    resetPluginModule();
    active_ = nullptr;
}

void FakeHost::setVersion(int major, int minor, int patch) {
    version_[0] = major;
    version_[1] = minor;
    version_[2] = patch;
}

void FakeHost::unload() { unregisterModule(fileName_); }

std::vector<std::string> FakeHost::logTexts() const {
    std::vector<std::string> texts;
    for (const HostCall& call : calls_) {
        if (call.function == "znLogText") texts.push_back(call.arguments.at(0));
    }
    return texts;
}

void FakeHost::record(HostCall call) {
    active_->calls_.push_back(call);
    if (call.function == active_->throwingFunction_) {
        throw std::runtime_error("host failure in " + call.function);
    }
}

void FakeHost::getVersion(int* major, int* minor, int* patch) {
    record({"znGetVersionOfGyrafexZN", {}});
    if (!active_->versionWritten_) return;
    *major = active_->version_[0];
    *minor = active_->version_[1];
    *patch = active_->version_[2];
}

void FakeHost::showLogTab() { record({"znShowLogTab", {}}); }

void FakeHost::logText(const char* text) { record(logCall(text)); }

void FakeHost::messageBox(const char* text) { record(messageCall(text)); }

void FakeHost::getOpenFileName(const char* caption, const char* second, const char* filter,
                               char* buffer) {
    record({"znGetOpenFileName", {caption, second, filter}});
    if (active_->dialogUnterminated_) {
        std::memset(buffer, 'x', 512);
        return;
    }
    const std::string path = active_->dialogAnswer_.substr(0, 511);
    std::memcpy(buffer, path.c_str(), path.size() + 1);
}

void resetPluginModule() {
    hostFunctions = HostFunctions{};
    pluginLog.flush();  // unbound: the pending text is dropped
    pluginLog.clear();
}

void PluginDeleter::operator()(GFZNPluginInterface* plugin) const { destroyPlugin(plugin); }

PluginPtr makePlugin() { return PluginPtr(createPlugin()); }

}  // namespace zandrel::test
