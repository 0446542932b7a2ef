#include "plugin/host_functions.h"

#include "plugin/module_lookup.h"

namespace zandrel {

HostFunctions hostFunctions;

const std::array<const char*, kHostFunctionCount>& hostFunctionNames() {
#define ZANDREL_HOST_NAME(name, type) #name,
    static const std::array<const char*, kHostFunctionCount> names = {
        ZANDREL_HOST_FUNCTIONS(ZANDREL_HOST_NAME)};
#undef ZANDREL_HOST_NAME
    return names;
}

std::array<HostProc, kHostFunctionCount> hostFunctionEntries(const HostFunctions& table) {
#define ZANDREL_HOST_OPAQUE(name, type) reinterpret_cast<HostProc>(table.name),
    return {ZANDREL_HOST_FUNCTIONS(ZANDREL_HOST_OPAQUE)};
#undef ZANDREL_HOST_OPAQUE
}

bool bindHostFunctions() {
    // The name the host executable has in current installations comes first.
    ModuleHandle host = findLoadedModule("Gyrafex.exe");
    if (host == nullptr) host = findLoadedModule("GyrafexZN.exe");
    if (host == nullptr) return false;

#define ZANDREL_HOST_BIND(name, type) \
    hostFunctions.name = reinterpret_cast<type>(findModuleFunction(host, #name));

    ZANDREL_HOST_VERSION_FUNCTION(ZANDREL_HOST_BIND)
    if (hostFunctions.znGetVersionOfGyrafexZN == nullptr) return false;
    ZANDREL_HOST_OTHER_FUNCTIONS(ZANDREL_HOST_BIND)
#undef ZANDREL_HOST_BIND
    return true;
}

}  // namespace zandrel
