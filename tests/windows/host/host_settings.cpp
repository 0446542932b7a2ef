#include "host_settings.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace zandrel::hostemu {

HostSettings& hostSettings() {
    static HostSettings settings;
    return settings;
}

namespace {

bool parseInt(const std::string& text, int& value) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < INT_MIN || parsed > INT_MAX) return false;
    value = static_cast<int>(parsed);
    return true;
}

}  // namespace

bool parseVersion(const std::string& text, int& major, int& minor, int& patch) {
    const auto first = text.find('.');
    if (first == std::string::npos) return false;
    const auto second = text.find('.', first + 1);
    if (second == std::string::npos) return false;
    int a = 0, b = 0, c = 0;
    if (!parseInt(text.substr(0, first), a) || !parseInt(text.substr(first + 1, second - first - 1), b) ||
        !parseInt(text.substr(second + 1), c))
        return false;
    major = a;
    minor = b;
    patch = c;
    return true;
}

bool parseHostSettings(int argc, char** argv, HostSettings& settings, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--cancel-dialog") {
            settings.cancelDialog = true;
            continue;
        }
        if (option != "--dll" && option != "--transcript" && option != "--version" && option != "--open-file" &&
            option != "--locale") {
            error = "unknown option '" + option + "'";
            return false;
        }
        if (i + 1 >= argc) {
            error = "option '" + option + "' needs a value";
            return false;
        }
        const std::string value = argv[++i];
        if (option == "--dll") {
            settings.dllPath = value;
        } else if (option == "--transcript") {
            settings.transcriptPath = value;
        } else if (option == "--open-file") {
            settings.openFile = value;
        } else if (option == "--locale") {
            settings.locale = value;
        } else if (!parseVersion(value, settings.major, settings.minor, settings.patch)) {
            error = "malformed version '" + value + "' (expected MAJOR.MINOR.PATCH)";
            return false;
        }
    }
    if (settings.dllPath.empty() || settings.transcriptPath.empty()) {
        error = "--dll and --transcript are required";
        return false;
    }
    return true;
}

}  // namespace zandrel::hostemu
