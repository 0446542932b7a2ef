#pragma once

// Destroys a plug-in object the way a host of this platform does: through the scalar
// deleting destructor slot (flags 1: destroy and free) where the interface presents
// Microsoft's layout, through the virtual destructor everywhere else.

#include "plugin/gfzn_plugin_interface.h"

namespace zandrel {

inline void destroyPlugin(GFZNPluginInterface* plugin) {
    if (plugin == nullptr) return;
#if ZANDREL_MS_VTABLE_LAYOUT
    plugin->scalarDeletingDestructor(1u);
#else
    delete plugin;
#endif
}

}  // namespace zandrel
