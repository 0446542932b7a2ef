#pragma once

// Finding the host executable among the modules already loaded in the process, and looking
// up its exported functions by name. On Windows this is the system loader's own lookup.
// Elsewhere there is no such lookup for an executable's functions, so a small registry of
// our own stands in for it: a host (or a test) makes its module known under a file name with
// the functions it offers, and the plug-in finds it with the same calls.

#include "plugin/host_functions.h"
#include "plugin/plugin_export.h"

#if !defined(_WIN32)
#include <map>
#include <string>
#endif

namespace zandrel {

// Identifies a loaded module; null means "not loaded".
using ModuleHandle = const void*;

// The module with this file name if it is already loaded; nothing is loaded and no reference
// is added. Null when there is none.
ModuleHandle findLoadedModule(const char* fileName);

// The function `name` exported by `module`, or null when it exports no such function.
HostProc findModuleFunction(ModuleHandle module, const char* name);

#if !defined(_WIN32)
// Exported from the shared module: a native host has no other way to make itself known.
// Makes a module known under `fileName` (exact, case-sensitive match) with the functions it
// exports, replacing an earlier registration under the same name. Handles found before a
// replacement or removal must not be used afterwards.
ZANDREL_EXPORT void registerModule(const std::string& fileName,
                                   std::map<std::string, HostProc> functions);
// Forgets the module; unknown names are ignored.
ZANDREL_EXPORT void unregisterModule(const std::string& fileName);
#endif

}  // namespace zandrel
