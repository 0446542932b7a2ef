#pragma once

// Marks the plug-in's entry points, and only those, as exported from the module.
// Everything else keeps the hidden default visibility the build sets globally.
#if defined(_WIN32)
#define ZANDREL_EXPORT __declspec(dllexport)
#else
#define ZANDREL_EXPORT __attribute__((visibility("default")))
#endif
