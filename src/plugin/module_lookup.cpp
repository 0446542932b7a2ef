#include "plugin/module_lookup.h"

#if defined(_WIN32)

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace zandrel {

ModuleHandle findLoadedModule(const char* fileName) {
    return GetModuleHandleA(fileName);
}

HostProc findModuleFunction(ModuleHandle module, const char* name) {
    if (module == nullptr) return nullptr;
    const FARPROC address =
        GetProcAddress(static_cast<HMODULE>(const_cast<void*>(module)), name);
    // Through void(*)(): the one function pointer type every other converts to without loss.
    return reinterpret_cast<HostProc>(reinterpret_cast<void (*)()>(address));
}

}  // namespace zandrel

#else

#include <functional>
#include <string_view>

namespace zandrel {

namespace {

// Transparent comparison: lookups by a C string allocate nothing and cannot throw.
using ExportTable = std::map<std::string, HostProc, std::less<>>;
using ModuleRegistry = std::map<std::string, ExportTable, std::less<>>;

// Constructed on first use, so registration works from any static initialiser.
ModuleRegistry& registry() {
    static ModuleRegistry modules;
    return modules;
}

}  // namespace

ModuleHandle findLoadedModule(const char* fileName) {
    if (fileName == nullptr) return nullptr;
    const auto found = registry().find(std::string_view(fileName));
    return found == registry().end() ? nullptr : &found->second;
}

HostProc findModuleFunction(ModuleHandle module, const char* name) {
    if (module == nullptr || name == nullptr) return nullptr;
    const auto& functions = *static_cast<const ExportTable*>(module);
    const auto found = functions.find(std::string_view(name));
    return found == functions.end() ? nullptr : found->second;
}

void registerModule(const std::string& fileName, std::map<std::string, HostProc> functions) {
    registry()[fileName] = ExportTable(functions.begin(), functions.end());
}

void unregisterModule(const std::string& fileName) {
    registry().erase(fileName);
}

}  // namespace zandrel

#endif
