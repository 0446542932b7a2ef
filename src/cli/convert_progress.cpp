#include "cli/convert_progress.h"

namespace zandrel::cli {

namespace {
// Keeps the status within an 80-column line, so "\r" returns to its start.
constexpr std::size_t kMaxNameLength = 60;
}  // namespace

std::string ConvertProgress::statusText(int setNumber, int total, const std::string& roiPath) {
    const std::string::size_type separator = roiPath.find_last_of("/\\");
    std::string name = separator == std::string::npos ? roiPath : roiPath.substr(separator + 1);
    if (name.size() > kMaxNameLength) name = "..." + name.substr(name.size() - (kMaxNameLength - 3));
    // A name from the list may hold control characters; none reaches the terminal.
    for (char& c : name) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return "[" + std::to_string(setNumber) + "/" + std::to_string(total) + "] " + name;
}

void ConvertProgress::show(int setNumber, const std::string& roiPath) {
    clear();
    const std::string text = statusText(setNumber, total_, roiPath);
    terminal_ << '\r' << text << std::flush;
    shownLength_ = text.size();
}

void ConvertProgress::clear() {
    if (shownLength_ == 0) return;
    terminal_ << '\r' << std::string(shownLength_, ' ') << '\r' << std::flush;
    shownLength_ = 0;
}

}  // namespace zandrel::cli
