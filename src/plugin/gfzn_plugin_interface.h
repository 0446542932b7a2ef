#pragma once

// The abstract plug-in class the host drives through its virtual table.
//
// The host is built with Microsoft's compiler and calls the object with Microsoft's virtual
// table layout: slot 0 is the "scalar deleting destructor" (object in the first argument
// register, a flags word in the second, bit 0 meaning "free the memory too"), slot 1 is
// `execute`, slot 2 is `initPlugin`. Microsoft's compiler produces exactly that from the
// plain declaration, which is also right on every non-Windows platform (native hosts use
// the native layout). GNU compilers targeting Windows would however put two destructor
// slots first and shift both members, so for them the interface declares the scalar
// deleting destructor as an ordinary first virtual member instead of a virtual destructor.

#include "plugin/plugin_export.h"

#if defined(_WIN32) && !defined(_MSC_VER)
#define ZANDREL_MS_VTABLE_LAYOUT 1
#else
#define ZANDREL_MS_VTABLE_LAYOUT 0
#endif

#if ZANDREL_MS_VTABLE_LAYOUT

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif

class ZANDREL_CLASS_EXPORT GFZNPluginInterface {
public:
    // Slot 0: runs the destructor and, when flags bit 0 is set, frees the object with the
    // module's allocator. Returns the object's address, as the host expects.
    virtual void* scalarDeletingDestructor(unsigned int flags) = 0;
    // Slot 1.
    virtual bool execute() = 0;
    // Slot 2.
    virtual bool initPlugin() = 0;

protected:
    // Destruction goes through slot 0 only.
    ~GFZNPluginInterface() = default;
};

#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#else

class ZANDREL_CLASS_EXPORT GFZNPluginInterface {
public:
    virtual ~GFZNPluginInterface() = default;
    virtual bool execute() = 0;
    virtual bool initPlugin() = 0;
};

#endif
