#pragma once

// The plug-in's own texts, shared by the entry points and the exports.

namespace zandrel {

// Also the prefix of the plug-in's own log lines.
inline constexpr char kPluginName[] = "Zandrel";

inline constexpr char kHostTooOldText[] =
    "Can not execute this plugin - GyrafexZN version 2.8 or higher required.";
inline constexpr char kListDialogCaption[] = "Choose a TXT file to read";
inline constexpr char kListDialogFilter[] = "Text file (*.txt)";

// Size of the buffer the host's file dialog writes the chosen path into.
inline constexpr int kFileNameBufferSize = 512;

// Lexicographic greater-or-equal over two (major, minor, patch) triples of signed values.
constexpr bool isVersionAtLeast(int major, int minor, int patch, int reqMajor, int reqMinor,
                                int reqPatch) {
    if (major != reqMajor) return major > reqMajor;
    if (minor != reqMinor) return minor > reqMinor;
    return patch >= reqPatch;
}

}  // namespace zandrel
