// Fuzz target: the conversion of one complete set, every file of which comes from the
// fuzzer's input.
//
// The input is split at each line "--8<--" into up to seven parts: the ROI file, the
// FMR header, its time-course data, the IA, FA and ACPC files and the TAL file. A part
// that is missing leaves its file absent (the TAL file then is not named at all). The
// files go into a per-process scratch folder, a one-set list names them, and the batch
// run converts it. Beyond "no crash", the run must end in exactly one outcome whose log
// entry says so, and the output file must follow it: written when converted, untouched
// (the earlier content kept) otherwise, and no temporary file left behind.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "batch/batch_run.h"
#include "batch/log_wording.h"
#include "formats/fmr_header.h"
#include "formats/roi_file.h"
#include "fuzz_support.h"

using namespace zandrel;

namespace {

const char* const kSeparator = "\n--8<--\n";
const std::string kPrevious = "previous output, must survive a failed conversion\n";

// Collects each log entry.
class EntryList : public LogEntryObserver {
public:
    std::vector<std::string> entries;
    void onEntry(const std::string& text) override { entries.push_back(text); }
};

std::vector<std::string> splitParts(const std::string& input) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    const std::string separator(kSeparator);
    while (parts.size() < 6) {
        const std::size_t at = input.find(separator, start);
        if (at == std::string::npos) break;
        parts.push_back(input.substr(start, at - start));
        start = at + separator.size();
    }
    parts.push_back(input.substr(start));
    return parts;
}

// A data-file name the harness may create: a plain name inside the scratch folder.
bool isPlainName(const std::string& name) {
    if (name.empty() || name.size() > 64 || name[0] == '.') return false;
    for (const char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                        c == '-' || c == '.';
        if (!ok) return false;
    }
    return true;
}

bool startsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> parts = splitParts(input);

    namespace fs = std::filesystem;
    const fs::path folder = fs::path(fuzz::scratchDir()) / "set";
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    fs::create_directories(folder);
    const std::string dir = folder.string() + "/";

    // Parts in order; index 2 is the time-course data, whose name the header decides.
    const char* const names[] = {"s1.roi", "s1_run1.fmr", nullptr, "s1_IA.trf", "s1_FA.trf", "s1_ACPC.trf", "s1.tal"};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (names[i] != nullptr) fuzz::writeScratchFile("set/" + std::string(names[i]), parts[i]);
    }
    if (parts.size() > 2) {
        const FmrHeader header = readFmrHeader(dir + "s1_run1.fmr", false);
        if (!header.Prefix.present || !isPlainName(header.Prefix.value)) return 0;
        fuzz::writeScratchFile("set/" + header.Prefix.value + ".stc", parts[2]);
    }
    // Keep each run short: the grid scan costs time for every plot.
    const std::size_t plots = readRoiFile(dir + "s1.roi").plots.size();
    if (plots > 4) return 0;

    std::string list = dir + "\ns1.roi\ns1_run1.fmr\ns1_IA.trf\ns1_FA.trf\ns1_ACPC.trf\n";
    const bool withTal = parts.size() > 6;
    if (withTal) list += "s1.tal\n";
    fuzz::writeScratchFile("set/batch.txt", list);
    const std::string output = dir + (withTal ? "s1_TAL_.voi" : "s1_ACPC_.voi");
    fuzz::writeScratchFile(std::string("set/") + (withTal ? "s1_TAL_.voi" : "s1_ACPC_.voi"), kPrevious);
    std::vector<fs::path> before;
    for (const auto& entry : fs::directory_iterator(folder)) before.push_back(entry.path());

    EntryList buffer;
    const BatchSummary summary = runBatch(dir + "batch.txt", buffer);

    FUZZ_CHECK(summary.listReadable);
    FUZZ_CHECK(summary.setsFound == 1);
    FUZZ_CHECK(summary.converted + summary.reported + summary.failed == 1);
    FUZZ_CHECK(!buffer.entries.empty());
    const std::string& first = buffer.entries.front();
    if (summary.converted == 1) {
        FUZZ_CHECK(first == "Converted " + dir + "s1.roi");
        const std::string written = fuzz::readScratchFile("set/" + fs::path(output).filename().string());
        FUZZ_CHECK(written != kPrevious);
        FUZZ_CHECK(startsWith(written, "\nFileVersion:"));
        // One VOI per plot of the ROI file.
        std::size_t vois = 0;
        for (std::size_t at = written.find("NameOfVOI:"); at != std::string::npos; at = written.find("NameOfVOI:", at + 1)) ++vois;
        FUZZ_CHECK(vois == plots);
    } else {
        if (summary.reported == 1) FUZZ_CHECK(startsWith(first, "!!!! Not enough files could be loaded to convert "));
        if (summary.failed == 1) {
            FUZZ_CHECK(buffer.entries.size() == 1);
            FUZZ_CHECK(startsWith(first, "!!!! Could not convert " + dir + "s1.roi: "));
        }
        FUZZ_CHECK(fuzz::readScratchFile("set/" + fs::path(output).filename().string()) == kPrevious);
    }
    // Nothing but the files written above: no temporary file is left behind.
    std::size_t after = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        (void)entry;
        ++after;
    }
    FUZZ_CHECK(after == before.size());
    return 0;
}
