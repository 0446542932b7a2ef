#pragma once

#include <string>

namespace zandrel::hostemu {

// What the emulated host answers, taken from its command line.
struct HostSettings {
    int major = 2, minor = 8, patch = 0;  // the version znGetVersionOfGyrafexZN reports
    std::string openFile;                 // the path the file dialog "chooses"
    bool cancelDialog = false;            // the dialog is cancelled: the buffer is not touched
    std::string locale;                   // C locale the host sets before loading the plug-in
    std::string dllPath;
    std::string transcriptPath;
};

// The settings the exported host functions answer with; set once by main before the
// plug-in is loaded.
HostSettings& hostSettings();

// Parses "--dll PATH --transcript PATH [--version MAJOR.MINOR.PATCH] [--open-file PATH |
// --cancel-dialog] [--locale NAME]". Returns false and sets `error` for an unknown option, a missing value,
// a malformed version or a missing required option.
bool parseHostSettings(int argc, char** argv, HostSettings& settings, std::string& error);

// Parses "MAJOR.MINOR.PATCH" of signed decimal integers, e.g. "2.8.0" or "2.8.-1".
bool parseVersion(const std::string& text, int& major, int& minor, int& patch);

}  // namespace zandrel::hostemu
