// GyrafexZN.exe: a stand-in for the desktop host. It loads a plug-in DLL and drives it the
// way a host built with Microsoft's compiler does: descriptive exports by name, createPlugin,
// then initPlugin, execute and the scalar deleting destructor through the object's virtual
// table as a plain table of function pointers, and finally FreeLibrary. Every step and every
// host function the plug-in calls goes into the transcript, one JSON object per line.
//
// Exit status: 0 when the whole sequence ran, 2 for a usage error, 3 when the DLL could not be
// loaded or lacks createPlugin, 4 when the plug-in crashed the process.

#include "host_settings.h"
#include "transcript.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <clocale>
#include <cstdio>
#include <string>

using zandrel::hostemu::JsonLine;
using zandrel::hostemu::record;

namespace {

// Microsoft's x64 member calls: the object goes in the first argument register, exactly like
// the first argument of a plain function.
using ScalarDeletingDestructor = void* (*)(void* self, unsigned int flags);
using BoolMember = bool (*)(void* self);
using CreatePlugin = void* (*)();
using DescribingExport = const char* (*)();

constexpr const char* describingExports[] = {"getPluginName",    "getPluginDescription", "getAuthor",
                                             "getHelpFile",      "getPluginVersion",     "getGUIScript"};
constexpr int describingCount = sizeof(describingExports) / sizeof(describingExports[0]);

LONG WINAPI recordCrash(EXCEPTION_POINTERS* info) {
    record(JsonLine().text("event", "crash").number("code",
                                                    static_cast<long long>(info->ExceptionRecord->ExceptionCode)));
    zandrel::hostemu::closeTranscript();
    ExitProcess(4);
}

template <typename Function>
Function lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Reads every descriptive export and records its value; keeps the pointers for the later
// stability check.
void readDescribingExports(HMODULE module, const char* pointers[describingCount]) {
    for (int i = 0; i < describingCount; ++i) {
        const auto function = lookup<DescribingExport>(module, describingExports[i]);
        JsonLine line;
        line.text("event", "export").text("name", describingExports[i]);
        pointers[i] = function != nullptr ? function() : nullptr;
        if (function == nullptr) {
            line.boolean("missing", true);
        } else if (pointers[i] == nullptr) {
            line.null("value");
        } else {
            line.text("value", pointers[i]);
        }
        record(line);
    }
}

bool describingExportsUnchanged(HMODULE module, const char* const before[describingCount]) {
    for (int i = 0; i < describingCount; ++i) {
        const auto function = lookup<DescribingExport>(module, describingExports[i]);
        if (function == nullptr || function() != before[i]) return false;
    }
    return true;
}

bool callBoolMember(void* object, int slot, const char* member) {
    void** vtable = *static_cast<void***>(object);
    const auto function = reinterpret_cast<BoolMember>(vtable[slot]);
    record(JsonLine().text("event", "enter").text("member", member));
    const bool result = function(object);
    record(JsonLine().text("event", "return").text("member", member).boolean("result", result));
    return result;
}

void destroyObject(void* object) {
    void** vtable = *static_cast<void***>(object);
    const auto destructor = reinterpret_cast<ScalarDeletingDestructor>(vtable[0]);
    record(JsonLine().text("event", "enter").text("member", "destructor").number("flags", 1));
    void* returned = destructor(object, 1u);
    record(JsonLine().text("event", "return").text("member", "destructor").boolean("returnedSelf", returned == object));
}

int drivePlugin(const zandrel::hostemu::HostSettings& settings) {
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string selfName = self;
    selfName = selfName.substr(selfName.find_last_of("\\/") + 1);
    record(JsonLine()
               .text("event", "start")
               .text("host", selfName)
               .number("major", settings.major)
               .number("minor", settings.minor)
               .number("patch", settings.patch));

    // A host may run with a national C locale (a comma as decimal separator); the runtime
    // DLL is shared with the plug-in, so this setting reaches the plug-in's C functions.
    if (!settings.locale.empty()) {
        const char* chosen = std::setlocale(LC_ALL, settings.locale.c_str());
        JsonLine line;
        line.text("event", "locale").text("name", settings.locale);
        record(chosen != nullptr ? line.text("result", chosen) : line.null("result"));
    }

    HMODULE module = LoadLibraryA(settings.dllPath.c_str());
    if (module == nullptr) {
        record(JsonLine().text("event", "loadFailed").number("error", static_cast<long long>(GetLastError())));
        return 3;
    }
    record(JsonLine().text("event", "loaded").text("dll", settings.dllPath));

    const char* exportsBefore[describingCount] = {};
    readDescribingExports(module, exportsBefore);

    const auto create = lookup<CreatePlugin>(module, "createPlugin");
    if (create == nullptr) {
        record(JsonLine().text("event", "createMissing"));
        FreeLibrary(module);
        return 3;
    }
    record(JsonLine().text("event", "enter").text("member", "createPlugin"));
    void* object = create();
    record(JsonLine().text("event", "return").text("member", "createPlugin").boolean("null", object == nullptr));

    if (object != nullptr) {
        // vtable slots in Microsoft's layout: 0 scalar deleting destructor, 1 execute, 2 initPlugin.
        if (callBoolMember(object, 2, "initPlugin")) callBoolMember(object, 1, "execute");
        destroyObject(object);
    }
    record(JsonLine().text("event", "exportsStable").boolean("result", describingExportsUnchanged(module, exportsBefore)));

    record(JsonLine().text("event", "enter").text("member", "FreeLibrary"));
    const bool freed = FreeLibrary(module) != 0;
    record(JsonLine().text("event", "return").text("member", "FreeLibrary").boolean("result", freed));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    auto& settings = zandrel::hostemu::hostSettings();
    std::string error;
    if (!zandrel::hostemu::parseHostSettings(argc, argv, settings, error)) {
        std::fprintf(stderr,
                     "GyrafexZN: %s\nusage: GyrafexZN --dll PATH --transcript PATH [--version MAJOR.MINOR.PATCH] "
                     "[--open-file PATH | --cancel-dialog] [--locale NAME]\n",
                     error.c_str());
        return 2;
    }
    if (!zandrel::hostemu::openTranscript(settings.transcriptPath)) {
        std::fprintf(stderr, "GyrafexZN: cannot write the transcript %s\n", settings.transcriptPath.c_str());
        return 2;
    }
    SetUnhandledExceptionFilter(recordCrash);
    const int status = drivePlugin(settings);
    record(JsonLine().text("event", "end").number("status", status));
    zandrel::hostemu::closeTranscript();
    return status;
}
