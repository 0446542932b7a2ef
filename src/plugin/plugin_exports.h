#pragma once

// Declarations of the module's exported C functions (undecorated names).

#include "plugin/gfzn_plugin_interface.h"
#include "plugin/plugin_export.h"

extern "C" {
ZANDREL_EXPORT GFZNPluginInterface* createPlugin();
ZANDREL_EXPORT const char* getPluginName();
ZANDREL_EXPORT const char* getPluginDescription();
ZANDREL_EXPORT const char* getAuthor();
ZANDREL_EXPORT const char* getHelpFile();
ZANDREL_EXPORT const char* getPluginVersion();
ZANDREL_EXPORT const char* getGUIScript();
}
