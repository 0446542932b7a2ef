// Fuzz target: the .voi reader.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "voi/voi_reader.h"

using namespace zandrel;

namespace {

std::string textOf(const VoiFile& file) {
    std::ostringstream out;
    file.write(out, true);
    return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const VoiFileReading reading = readVoiFile(fuzz::writeScratchFile("regions.voi", input));
    const VoiFile& file = reading.file;

    fuzz::checkKeyed(file.FileVersion, "FileVersion", input, -1);
    fuzz::checkKeyed(file.ReferenceSpace, "ReferenceSpace", input, std::string(), true);
    fuzz::checkKeyed(file.NrOfVOIs, "NrOfVOIs", input, 0);
    // Counts describe what was read.
    FUZZ_CHECK(file.NrOfVOIs.value == static_cast<std::int32_t>(file.vois.size()) || !file.NrOfVOIs.present);
    std::size_t triples = 0;
    for (const Voi& voi : file.vois) {
        FUZZ_CHECK(voi.NrOfVoxels.present);
        FUZZ_CHECK(voi.NrOfVoxels.value == static_cast<std::int32_t>(voi.voxels.size()));
        triples += voi.voxels.size();
    }
    // Every voxel is three integers that stood in the file.
    FUZZ_CHECK(triples * 3 <= fuzz::countDigitRuns(input));

    // What the reader gives, written and read again, writes the same text.
    const std::string written = textOf(file);
    const VoiFileReading again = readVoiFile(fuzz::writeScratchFile("again.voi", written));
    FUZZ_CHECK(again.file.vois.size() == file.vois.size());
    return 0;
}
