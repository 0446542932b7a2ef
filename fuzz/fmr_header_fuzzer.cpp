// Fuzz target: the FMR header reader, header only (no time-course data).
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/fmr_header.h"
#include "fuzz_support.h"

using namespace zandrel;
using zandrel::fuzz::checkKeyedFields;

namespace {

void checkPositionBlock(const FmrHeader& h, const std::string& in) {
    checkKeyedFields(h, fmrPositionKeys(), in);
    // Position keys are read only inside the block that its marker opens.
    if (in.find("PositionInformationFromImageHeaders") != std::string::npos) return;
    forEachKeyedField(h, fmrPositionKeys(),
                      [](const KeyEntry<FmrHeader>&, const auto& field) { FUZZ_CHECK(!field.present); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string path = fuzz::writeScratchFile("project.fmr", input);

    const FmrHeader header = readFmrHeader(path, false);

    FUZZ_CHECK(header.path == path);
    FUZZ_CHECK(header.volumes.empty());
    checkKeyedFields(header, fmrMainKeys(), input);
    checkPositionBlock(header, input);

    // The slice timing table holds at most the announced number of entries (a repeated
    // key appends a second table), each of which needs a digit of its own in the file.
    const std::string key = "SliceTimingTableSize:";
    const std::size_t first = input.find(key);
    if (first == std::string::npos || input.find(key, first + 1) == std::string::npos) {
        const std::int32_t announced = header.SliceTimingTableSize.present ? header.SliceTimingTableSize.value : 0;
        FUZZ_CHECK(header.sliceTimingTable.size() <= static_cast<std::size_t>(announced > 0 ? announced : 0));
    }
    FUZZ_CHECK(header.sliceTimingTable.size() <= fuzz::countDigitRuns(input));
    return 0;
}
