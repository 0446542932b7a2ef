#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace zandrel {

// A file that could not be created or written. what() is the system's message text
// ("Cannot Create file: <name>"), exactly as every log shows it; reason() is what the
// operating system said ("Permission denied"), empty when it said nothing. The reason
// travels beside the text, so a log that must keep the text as it is (the plug-in's) drops
// it, and one that may say more (the command line's) adds it after the text.
class FileError : public std::runtime_error {
public:
    FileError(const std::string& text, std::string reason)
        : std::runtime_error(text), reason_(std::move(reason)) {}
    const std::string& reason() const { return reason_; }

private:
    std::string reason_;
};

// The operating system's text for an errno value ("Permission denied"); empty for 0.
std::string systemReason(int errorNumber);

// "Cannot Create file: " + name, with the reason of `errorNumber`.
FileError cannotCreateFile(const std::string& name, int errorNumber);
// "Cannot Create file: " + name, with a reason already worded.
FileError cannotCreateFile(const std::string& name, std::string reason);
// "Cannot write file: " + name, with the reason of `errorNumber`.
FileError cannotWriteFile(const std::string& name, int errorNumber);

// The text plus ": <reason>" when there is a reason: what the command line shows.
std::string withReason(const std::string& text, const std::string& reason);

}  // namespace zandrel
