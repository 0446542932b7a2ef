#pragma once

// Marks the plug-in's entry points, and only those, as exported from the module.
// Everything else keeps the hidden default visibility the build sets globally.
#if defined(_WIN32)
#define ZANDREL_EXPORT __declspec(dllexport)
#else
#define ZANDREL_EXPORT __attribute__((visibility("default")))
#endif

// The plug-in classes are exported with their members where the host can use such exports:
// with Microsoft's compiler and on native platforms. GNU toolchains targeting Windows
// decorate member names in a way no host there can import, so those builds export only the
// C entry points; the host reaches the members through the virtual table in any case.
#if defined(_WIN32) && !defined(_MSC_VER)
#define ZANDREL_CLASS_EXPORT
#else
#define ZANDREL_CLASS_EXPORT ZANDREL_EXPORT
#endif
