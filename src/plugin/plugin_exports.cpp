// The module's exported C functions: the factory and the six descriptive strings.

#include "plugin/plugin_exports.h"

#include "plugin/plugin_texts.h"
#include "plugin/zandrel.h"

extern "C" {

// A new plug-in object, allocated with the module's allocator and destroyed by the host
// through the object's own destructor slot; null when memory is exhausted.
ZANDREL_EXPORT GFZNPluginInterface* createPlugin() {
    try {
        return new Zandrel();
    } catch (...) {
        return nullptr;
    }
}

ZANDREL_EXPORT const char* getPluginName() {
    return zandrel::kPluginName;
}

ZANDREL_EXPORT const char* getPluginDescription() {
    return "Creates VOIs from a ROIs using a textfile with the names of all the necessary files";
}

ZANDREL_EXPORT const char* getAuthor() {
    return "<i>The Zandrel authors</i>";
}

ZANDREL_EXPORT const char* getHelpFile() {
    return "HelpFolder/index.html";
}

ZANDREL_EXPORT const char* getPluginVersion() {
    return "1.4";
}

// The plug-in brings no dialog script of its own.
ZANDREL_EXPORT const char* getGUIScript() {
    return "";
}

}  // extern "C"
