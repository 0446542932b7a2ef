#pragma once

// The Zandrel plug-in object. It holds no state of its own: the host function table and the
// log stream are module globals, so several objects may exist at once.

#include "plugin/gfzn_plugin_interface.h"
#include "plugin/plugin_export.h"

class ZANDREL_CLASS_EXPORT Zandrel final : public GFZNPluginInterface {
public:
    // Writes nothing and touches no host function.
    Zandrel() = default;
    // Writes the closing text, "Zandrel>  Plugin finished!" and a line feed, as one entry.
    ~Zandrel();

    Zandrel(const Zandrel&) = delete;
    Zandrel& operator=(const Zandrel&) = delete;

    // Asks the host's file dialog for a list file and converts the batch it names; an
    // unreadable list is reported in a message box. Always answers true.
    bool execute() override;
    // Binds the host's functions and checks that the host is 2.8.0 or newer; then shows the
    // host's log and writes the start text. Answers false when the host is missing or older.
    bool initPlugin() override;

#if ZANDREL_MS_VTABLE_LAYOUT
    void* scalarDeletingDestructor(unsigned int flags) noexcept override;
#endif
};
